#pragma once
#include <string>
#include <vector>

#include "datalayer/ColumnRules.h"

namespace ado {
class Recordset;
class Value;
}  // namespace ado

// How each source column of one table reaches the target row: worked out once per
// table from the two recordsets' fields by the column rules, then applied to every row.
class ColumnMapping {
public:
    // `computed`: the target's columns the server computes, which are never written.
    ColumnMapping(const ado::Recordset& source, const ado::Recordset& target, const std::string& table,
                  const std::vector<std::string>& computed = {});

    // Writes the source row's non-Null values into the target row being added. The values
    // are handed over: a forward-only source's current row reads Null afterwards.
    void CopyRow(ado::Recordset& source, ado::Recordset& target) const;

    using Write = ado::CopyWrite;
    struct Column {
        int target = -1;
        Write write = Write::Skip;
    };
    const std::vector<Column>& Columns() const { return columns_; }

private:
    std::vector<Column> columns_;  // one per source column, in source order
};
