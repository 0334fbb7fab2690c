#pragma once
#include <string>
#include <vector>

namespace ado {
class Recordset;
class Value;
}  // namespace ado

// How each source column of one table reaches the target row: worked out once per
// table from the two recordsets' fields, then applied to every row.
class ColumnMapping {
public:
    ColumnMapping(const ado::Recordset& source, const ado::Recordset& target, const std::string& table);

    // Writes the source row's non-Null values into the target row being added.
    void CopyRow(const ado::Recordset& source, ado::Recordset& target) const;

    enum class Write {
        Skip,             // nothing is written (column missing in the target, or dropped)
        AsText,           // variable-length Unicode text target (202): the value's text form
        DateUnlessEmpty,  // date target (133): the value, except an empty text
        AsIs,             // every other target type
    };
    struct Column {
        int target = -1;
        Write write = Write::Skip;
    };
    const std::vector<Column>& Columns() const { return columns_; }

private:
    std::vector<Column> columns_;  // one per source column, in source order
};
