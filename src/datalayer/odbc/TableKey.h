#pragma once
// Internal: the key by which a table can be read in order a chunk at a time: its primary
// key, or else its first unique key whose columns are all NOT NULL, when every key column
// holds values that read back as text or integers comparing exactly as the column does.
#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

#include "datalayer/odbc/Columns.h"

namespace ado::odbc {

struct OrderingKey {
    std::string index;                 // the index's name, for FORCE INDEX
    std::vector<std::size_t> columns;  // positions in the table's columns, in key order
    bool empty() const { return columns.empty(); }
};

// Finds the key of `table`, whose result columns are `columns`; empty when it has none.
OrderingKey FindOrderingKey(SQLHDBC dbc, const std::string& table, const std::vector<Column>& columns);

}  // namespace ado::odbc
