#pragma once
// Internal: small questions to the server (SHOW output, information_schema, session
// variables), answered as whole results with their column names.
#include <sql.h>

#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"

namespace ado::odbc {

struct QueryResult {
    std::vector<std::string> names;
    std::vector<Row> rows;
    // The position of a column name (ASCII case ignored), or -1.
    int Column(const std::string& name) const;
};

// Runs one query, with these values for its markers, and reads its whole result.
QueryResult RunQuery(SQLHDBC dbc, const std::string& sql, const std::vector<const Value*>& parameters = {});

// Column names compare without regard to ASCII case, as the server compares them; bytes
// outside ASCII must match exactly.
bool SameColumnName(const std::string& a, const std::string& b);

}  // namespace ado::odbc
