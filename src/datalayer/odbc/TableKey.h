#pragma once
// Internal: the key by which a table can be read in order a chunk at a time: its primary
// key, or else its first unique key, when every column of it is whole (no prefix), NOT
// NULL and in a B-tree. Whether the key's values read back comparing exactly as the
// columns do is told by their types (KeyColumnCarriesOrder), once the rows are described.

#include <string>
#include <vector>

#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/ConnectionLock.h"

namespace ado::odbc {

struct OrderingKey {
    std::string index;                 // the index's name, for FORCE INDEX
    std::vector<std::string> columns;  // the key's columns, in key order
    bool empty() const { return columns.empty(); }
};

// From SHOW KEYS (one exchange with the server); empty when the table has no such key.
OrderingKey FindOrderingKey(const Dbc& dbc, const std::string& table);

// Integers (but BIGINT UNSIGNED, read as text the server would compare as a double),
// VARCHAR, VARBINARY, dates and times. Not DECIMAL or the floating types (their text may
// not name the stored value exactly), and not CHAR: the driver describes ENUM and SET as
// CHAR, and an ENUM sorts by position but compares as text.
bool KeyColumnCarriesOrder(const Column& column);

}  // namespace ado::odbc
