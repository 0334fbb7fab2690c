#include "conversion/copy/ColumnMapping.h"

#include <algorithm>
#include <utility>

#include "conversion/run/OrderDetailLinks.h"
#include "datalayer/ColumnName.h"
#include "datalayer/Recordset.h"

namespace {
bool IsComputed(const std::vector<std::string>& computed, const std::string& name) {
    return std::any_of(computed.begin(), computed.end(),
                       [&name](const std::string& c) { return ado::SameColumnName(c, name); });
}
}  // namespace

ColumnMapping::ColumnMapping(const ado::Recordset& source, const ado::Recordset& target, const std::string& table,
                             const std::vector<std::string>& computed) {
    const ado::Fields& from = source.GetFields();
    const ado::Fields& to = target.GetFields();
    const bool orderDetail = table == kOrderDetailTable;
    for (int j = 0; j < from.Count(); ++j) {
        Column column;
        const std::string& name = from.Item(j).Name();
        const OrderDetailColumn rule = orderDetail ? OrderDetailColumnRule(name) : OrderDetailColumn::General;
        if (rule == OrderDetailColumn::OldKeyToUnit) {
            // The old key goes into "unit" as text; the target assigns its own "seq".
            column.target = to.IndexOf("unit");
            column.write = column.target < 0 ? Write::Skip : Write::AsText;
        } else if (rule == OrderDetailColumn::General) {
            column.target = to.IndexOf(name);
            if (column.target >= 0 && !IsComputed(computed, to.Item(column.target).Name()))
                column.write = ado::CopyWriteInto(to.Item(column.target).Type());
        }
        columns_.push_back(column);
    }
}

void ColumnMapping::CopyRow(ado::Recordset& source, ado::Recordset& target) const {
    ado::Fields& from = source.GetFields();
    ado::Fields& to = target.GetFields();
    for (std::size_t j = 0; j < columns_.size(); ++j) {
        const Column& column = columns_[j];
        if (column.write == Write::Skip) continue;
        ado::Value value = from.Item(static_cast<int>(j)).TakeValue();
        if (value.IsNull()) continue;  // the new row keeps the column's default
        switch (column.write) {
            case Write::AsText:
                to.Item(column.target).SetValue(value.IsText() ? std::move(value) : ado::Value(value.Text()));
                break;
            case Write::DateUnlessEmpty:
                if (!value.IsEmptyText()) to.Item(column.target).SetValue(std::move(value));
                break;
            case Write::AsIs:
                to.Item(column.target).SetValue(std::move(value));
                break;
            case Write::Skip:
                break;
        }
    }
}
