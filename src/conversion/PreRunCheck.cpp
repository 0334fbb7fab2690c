#include "conversion/PreRunCheck.h"

#include "conversion/OrderDetailLinks.h"
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
    "AND c.IS_GENERATED = 'NEVER', s.SEQ_IN_INDEX, t.TABLE_ROWS, c.IS_GENERATED <> 'NEVER' "
    "FROM information_schema.COLUMNS c "
    "JOIN information_schema.TABLES t ON t.TABLE_SCHEMA = c.TABLE_SCHEMA AND t.TABLE_NAME = c.TABLE_NAME "
    "LEFT JOIN information_schema.STATISTICS s ON s.TABLE_SCHEMA = c.TABLE_SCHEMA AND s.TABLE_NAME = c.TABLE_NAME "
    "AND s.COLUMN_NAME = c.COLUMN_NAME AND s.INDEX_NAME = 'PRIMARY' "
    "WHERE c.TABLE_SCHEMA = DATABASE() ORDER BY c.TABLE_NAME, s.SEQ_IN_INDEX IS NULL, s.SEQ_IN_INDEX, "
    "c.ORDINAL_POSITION";

// Whether a source column's values reach the target column of that name (the order-detail
// table carries its old key into "unit" and drops its own "unit").
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

bool Filled(const std::string& table, const TableShape& source, const std::string& targetColumn) {
    for (const TableShape::Column& column : source.columns)
        if (Fills(table, column.name, targetColumn)) return true;
    return false;
}

}  // namespace

SchemaShapes ReadSchemaShapes(ado::Connection& connection) {
    SchemaShapes shapes;
    const auto rows = connection.Execute(kShapesQuery);
    for (; !rows->Eof(); rows->MoveNext()) {
        ado::Fields& f = rows->GetFields();
        TableShape& shape = shapes[f.Item(0).GetValue().Text()];
        const std::string column = f.Item(1).GetValue().Text();
        shape.columns.push_back({column, f.Item(2).GetValue().ToLong() != 0, f.Item(5).GetValue().ToLong() != 0});
        if (!f.Item(3).GetValue().IsNull()) shape.key.push_back(column);
        if (!f.Item(4).GetValue().IsNull()) shape.estimatedRows = std::stoll(f.Item(4).GetValue().Text());
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
        if (shape != from.end()) checked.sourceKeys[table.name] = shape->second.key;
        if (const auto computed = to.find(table.name); computed != to.end())
            for (const TableShape::Column& column : computed->second.columns)
                if (column.computed)
                    checked.notes.push_back(table.name + "." + column.name + ": " + ado::kComputedReason +
                                            "이라 복사하지 않고 원본과 비교하지 않습니다");
    }
    checked.problems = StructureProblems(tables, from, to);
    return checked;
}

std::string CheckProblemsMessage(const std::vector<std::string>& problems) {
    std::string message = "시작 전 점검에서 문제를 찾았습니다. 아무 테이블도 비우지 않았습니다.\r\n";
    for (const std::string& problem : problems) message += "\r\n" + problem;
    return message;
}
