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
// be registered, or the connection did not open. A connection that TLS refused (no TLS,
// a certificate of another authority, for another address, expired) or that is not
// encrypted leaves what the user was told in `refusal`.
bool OpenMySQL(CustomerForm& form, OdbcDataSources& dataSources, const std::shared_ptr<ado::Connection>& connection,
               CustomerIndex index, bool withOptions, std::string* refusal = nullptr);

// The customer's server for the user: "원본 데이터베이스 서버 <host>" or "대상 ...".
std::string CustomerServerName(const CustomerForm& form, CustomerIndex index);

// The data source name of a customer index: "varok_DataConv160316_" + index.
std::string DataSourceName(CustomerIndex index);
