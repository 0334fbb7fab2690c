#include "datalayer/odbc/Query.h"

#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/RowReader.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

int QueryResult::Column(const std::string& name) const {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SameColumnName(names[i], name)) return static_cast<int>(i);
    return -1;
}

QueryResult RunQuery(const Dbc& dbc, const std::string& sql, const std::vector<const Value*>& parameters) {
    Statement statement(dbc);
    statement.ExecDirect(sql, parameters);
    QueryResult result;
    if (statement.ResultColumns() == 0) return result;
    const std::vector<Column> columns = DescribeResult(statement, false);
    for (const auto& c : columns) result.names.push_back(c.name);
    RowReader reader(statement, columns);
    Row row;
    while (reader.Next(row)) result.rows.push_back(row);
    return result;
}

}  // namespace ado::odbc
