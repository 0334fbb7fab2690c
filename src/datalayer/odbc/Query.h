#pragma once
// Internal: small questions to the server (SHOW output, information_schema, session
// variables), answered as whole results with their column names.

#include <string>
#include <vector>

#include "datalayer/ColumnName.h"
#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/ConnectionLock.h"

namespace ado::odbc {

struct QueryResult {
    std::vector<std::string> names;
    std::vector<Row> rows;
    // The position of a column name (ASCII case ignored), or -1.
    int Column(const std::string& name) const;
};

// Runs one query, with these values for its markers, and reads its whole result.
QueryResult RunQuery(const Dbc& dbc, const std::string& sql, const std::vector<const Value*>& parameters = {});

}  // namespace ado::odbc
