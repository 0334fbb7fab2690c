#include "conversion/checks/PreRunCheck.h"

#include <algorithm>

#include "conversion/checks/PreRunValueCheck.h"
#include "conversion/run/OrderDetailLinks.h"
#include "datalayer/ColumnName.h"
#include "datalayer/ColumnRules.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

// The columns of the current database with what the check needs of each; nothing of the
// user's goes into the text. A column must be given a value when it is NOT NULL, has no
// default, and the server fills it neither by counting (auto_increment) nor by formula.
constexpr const char* kShapesQuery =
    "SELECT c.TABLE_NAME, c.COLUMN_NAME, "
    "c.IS_NULLABLE = 'NO' AND c.COLUMN_DEFAULT IS NULL AND c.EXTRA NOT LIKE '%auto_increment%' "
    "AND c.IS_GENERATED = 'NEVER', s.SEQ_IN_INDEX, t.TABLE_ROWS, c.IS_GENERATED <> 'NEVER', "
    "LOWER(c.DATA_TYPE), LOWER(c.COLUMN_TYPE), c.CHARACTER_MAXIMUM_LENGTH, c.CHARACTER_OCTET_LENGTH, "
    "c.NUMERIC_PRECISION, c.NUMERIC_SCALE, u.uniques, t.DATA_LENGTH + t.INDEX_LENGTH "
    "FROM information_schema.COLUMNS c "
    "JOIN information_schema.TABLES t ON t.TABLE_SCHEMA = c.TABLE_SCHEMA AND t.TABLE_NAME = c.TABLE_NAME "
    "LEFT JOIN information_schema.STATISTICS s ON s.TABLE_SCHEMA = c.TABLE_SCHEMA AND s.TABLE_NAME = c.TABLE_NAME "
    "AND s.COLUMN_NAME = c.COLUMN_NAME AND s.INDEX_NAME = 'PRIMARY' "
    "LEFT JOIN (SELECT TABLE_NAME, COLUMN_NAME, GROUP_CONCAT(INDEX_NAME SEPARATOR ',') AS uniques "
    "FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND NON_UNIQUE = 0 "
    "GROUP BY TABLE_NAME, COLUMN_NAME) u ON u.TABLE_NAME = c.TABLE_NAME AND u.COLUMN_NAME = c.COLUMN_NAME "
    "WHERE c.TABLE_SCHEMA = DATABASE() ORDER BY c.TABLE_NAME, s.SEQ_IN_INDEX IS NULL, s.SEQ_IN_INDEX, "
    "c.ORDINAL_POSITION";

std::int64_t NumberOr(const ado::Value& value, std::int64_t absent) {
    return value.IsNull() ? absent : std::stoll(value.Text());
}

// The names in a comma-separated list.
std::vector<std::string> Names(const ado::Value& value) {
    std::vector<std::string> lines;
    if (value.IsNull()) return lines;
    const std::string text = value.Text();
    for (std::size_t from = 0; from <= text.size();) {
        const std::size_t end = std::min(text.find(',', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

bool Filled(const std::string& table, const TableShape& source, const std::string& targetColumn) {
    for (const TableShape::Column& column : source.columns)
        if (Fills(table, column.name, targetColumn)) return true;
    return false;
}

}  // namespace

bool Fills(const std::string& table, const std::string& sourceColumn, const std::string& targetColumn) {
    const OrderDetailColumn rule =
        table == kOrderDetailTable ? OrderDetailColumnRule(sourceColumn) : OrderDetailColumn::General;
    switch (rule) {
        case OrderDetailColumn::OldKeyToUnit:
            return ado::SameColumnName(targetColumn, "unit");
        case OrderDetailColumn::Dropped:
            return false;
        case OrderDetailColumn::General:
            break;
    }
    return ado::SameColumnName(sourceColumn, targetColumn);
}

SchemaShapes ReadSchemaShapes(ado::Connection& connection) {
    SchemaShapes shapes;
    const auto rows = connection.Execute(kShapesQuery);
    for (; !rows->Eof(); rows->MoveNext()) {
        ado::Fields& f = rows->GetFields();
        TableShape& shape = shapes[f.Item(0).GetValue().Text()];
        const std::string column = f.Item(1).GetValue().Text();
        TableShape::Column& c = shape.columns.emplace_back();
        c.name = column;
        c.mustBeGiven = f.Item(2).GetValue().ToLong() != 0;
        if (!f.Item(3).GetValue().IsNull()) shape.key.push_back(column);
        if (!f.Item(4).GetValue().IsNull()) shape.estimatedRows = std::stoll(f.Item(4).GetValue().Text());
        c.computed = f.Item(5).GetValue().ToLong() != 0;
        c.dataType = f.Item(6).GetValue().Text();
        c.columnType = f.Item(7).GetValue().Text();
        c.maxChars = NumberOr(f.Item(8).GetValue(), -1);
        c.maxBytes = NumberOr(f.Item(9).GetValue(), -1);
        c.precision = static_cast<int>(NumberOr(f.Item(10).GetValue(), -1));
        c.scale = static_cast<int>(NumberOr(f.Item(11).GetValue(), -1));
        c.uniqueKeys = Names(f.Item(12).GetValue());
        shape.estimatedBytes = NumberOr(f.Item(13).GetValue(), 0);
    }
    return shapes;
}

std::vector<std::string> StructureProblems(const std::vector<RunTable>& tables, const SchemaShapes& source,
                                           const SchemaShapes& target) {
    std::vector<std::string> problems;
    for (const RunTable& table : tables) {
        const auto from = source.find(table.name);
        const auto to = target.find(table.name);
        if (from == source.end()) problems.push_back(table.name + ": 원본(Tarn) DB에 테이블이 없습니다");
        if (to == target.end()) problems.push_back(table.name + ": 대상(Velm) DB에 테이블이 없습니다");
        if (from == source.end() || to == target.end()) continue;
        for (const TableShape::Column& column : to->second.columns)
            if (column.mustBeGiven && !Filled(table.name, from->second, column.name))
                problems.push_back(table.name + "." + column.name +
                                   ": 대상 열은 값이 꼭 있어야 하는데(NOT NULL, 기본값 없음) 원본에 이 열이 없습니다");
    }
    return problems;
}

TablesChecked CheckTables(ado::Connection& source, ado::Connection& target, const std::vector<RunTable>& tables) {
    const SchemaShapes from = ReadSchemaShapes(source);
    const SchemaShapes to = ReadSchemaShapes(target);
    TablesChecked checked;
    for (const RunTable& table : tables) {
        const auto shape = from.find(table.name);
        checked.estimatedRows.push_back(shape == from.end() ? 0 : shape->second.estimatedRows);
        checked.estimatedBytes.push_back(shape == from.end() ? 0 : shape->second.estimatedBytes);
        if (shape != from.end()) checked.sourceKeys[table.name] = shape->second.key;
        if (const auto computed = to.find(table.name); computed != to.end())
            for (const TableShape::Column& column : computed->second.columns)
                if (column.computed)
                    checked.notes.push_back(table.name + "." + column.name + ": " + ado::kComputedReason +
                                            "이라 복사하지 않고 원본과 비교하지 않습니다");
    }
    checked.problems = StructureProblems(tables, from, to);
    const std::vector<std::string> values = ValueProblems(source, tables, from, to, checked.sourceKeys);
    checked.problems.insert(checked.problems.end(), values.begin(), values.end());
    return checked;
}

std::string CheckProblemsMessage(const std::vector<std::string>& problems) {
    std::string message = "시작 전 점검에서 문제를 찾았습니다. 아무 테이블도 비우지 않았습니다.\r\n";
    for (const std::string& problem : problems) message += "\r\n" + problem;
    return message;
}
