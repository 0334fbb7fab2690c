#pragma once
#include <memory>

#include "common/CustomerForm.h"

class OdbcDataSources;
namespace ado {
class Connection;
}

// Registers the ODBC data source of one customer and opens the caller's connection
// through it. With options: 30-second timeout and client-side cursors. Returns false,
// after telling the user, when something needed is missing, the data source could not
// be registered, or the connection did not open.
bool OpenMySQL(CustomerForm& form, OdbcDataSources& dataSources, const std::shared_ptr<ado::Connection>& connection,
               CustomerIndex index, bool withOptions);

// The data source name of a customer index: "varok_DataConv160316_" + index.
std::string DataSourceName(CustomerIndex index);
