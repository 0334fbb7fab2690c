#pragma once
// How the columns of a result are named in its recordset: a recordset's field names
// must differ, while a join easily returns two columns of the same name.
#include <cstdint>
#include <string>
#include <vector>

namespace mysqlclient {

struct ResultColumn {
    std::string name;
    std::string table;       // the table's name or alias in the statement
    std::int32_t width = 0;  // the display width, read as a signed 32-bit value
    bool qualified = false;  // the name has been prefixed with "table."
};

// Goes through the columns in order; a column whose name equals the current name of an
// earlier column (case-sensitive) becomes "table.name", and so does each such earlier
// column that still has its plain name. So a.id, b.id and id come from three columns
// named id of the tables a, b and c: the third no longer meets a plain "id".
void QualifyDuplicateNames(std::vector<ResultColumn>& columns);

}  // namespace mysqlclient
