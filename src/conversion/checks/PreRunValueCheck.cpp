#include "conversion/checks/PreRunValueCheck.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>

#include "conversion/NumbersAndTimes.h"
#include "conversion/verification/VerificationForms.h"
#include "datalayer/ColumnName.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

using Column = TableShape::Column;

// An integer type's range and its decimal digits.
struct IntegerRange {
    const char* type;
    const char *low, *high, *unsignedHigh;
    int digits, unsignedDigits;
};
constexpr std::array<IntegerRange, 5> kIntegers{{
    {"tinyint", "-128", "127", "255", 3, 3},
    {"smallint", "-32768", "32767", "65535", 5, 5},
    {"mediumint", "-8388608", "8388607", "16777215", 7, 8},
    {"int", "-2147483648", "2147483647", "4294967295", 10, 10},
    {"bigint", "-9223372036854775808", "9223372036854775807", "18446744073709551615", 19, 20},
}};

int IntegerRank(const Column& c) {
    for (std::size_t i = 0; i < kIntegers.size(); ++i)
        if (c.dataType == kIntegers[i].type) return static_cast<int>(i);
    return -1;
}
bool Unsigned(const Column& c) {
    return c.columnType.find("unsigned") != std::string::npos;
}
bool Decimal(const Column& c) {
    return c.dataType == "decimal" && c.precision > 0 && c.scale >= 0;
}
bool Numeric(const Column& c) {
    return IntegerRank(c) >= 0 || Decimal(c) || c.dataType == "float" || c.dataType == "double";
}
// The digits before the point a number of the column may have.
int WholeDigits(const Column& c) {
    if (const int rank = IntegerRank(c); rank >= 0)
        return Unsigned(c) ? kIntegers[rank].unsignedDigits : kIntegers[rank].digits;
    return Decimal(c) ? c.precision - c.scale : -1;
}

bool TextType(const Column& c) {
    static const std::set<std::string> kinds{"char", "varchar", "tinytext", "text", "mediumtext", "longtext"};
    return kinds.contains(c.dataType);
}
bool BinaryType(const Column& c) {
    static const std::set<std::string> kinds{"binary", "varbinary", "tinyblob", "blob", "mediumblob", "longblob"};
    return kinds.contains(c.dataType);
}
// CHAR and VARCHAR count characters; the TEXT and binary types count bytes.
bool CountsCharacters(const Column& c) {
    return c.dataType == "char" || c.dataType == "varchar";
}

// One question about a source column, asked of its rows: which row breaks the limit worst.
struct ValueQuestion {
    enum class Kind { Length, Number, Duplicate } kind;
    std::string table, column;
    std::string measure;  // SQL: how bad a row is (bigger is worse)
    std::string breaks;   // SQL: the row does not fit
    std::string shown;    // SQL: the worst value as the line shows it
    std::string need;     // what the target needs, for the line
    std::string what;     // what is wrong, for the line
};

std::string Nines(int digits) {
    return digits > 0 ? std::string(static_cast<std::size_t>(digits), '9') : "0";
}

// The question for a target column the source column may overflow, if any.
std::optional<ValueQuestion> QuestionFor(const std::string& table, const Column& s, const Column& t) {
    const std::string column = SqlIdentifier(s.name);
    ValueQuestion q{ValueQuestion::Kind::Length, table, t.name, {}, {}, {}, {}, {}};
    if (TextType(t) || BinaryType(t)) {
        const bool characters = CountsCharacters(t);
        const std::int64_t limit = characters ? t.maxChars : t.maxBytes;
        if (limit < 0) return std::nullopt;
        const bool sourceText = TextType(s) || BinaryType(s);
        const std::int64_t sourceLimit = characters ? s.maxChars : s.maxBytes;
        if (sourceText && sourceLimit >= 0 && sourceLimit <= limit) return std::nullopt;
        const std::string unit = characters ? "자" : "바이트";
        q.measure = std::string(characters ? "CHAR_LENGTH(" : "LENGTH(") + column + ")";
        q.breaks = q.measure + " > " + std::to_string(limit);
        q.shown = q.measure;
        q.what = "원본 값이 대상 열보다 깁니다 - 가장 긴 값 {}" + unit;
        q.need = "대상 열 " + t.columnType + "에는 " + GroupDigits(limit) + unit + "까지 들어갑니다. {}" + unit +
                 " 이상 들어가게 넓혀야 합니다";
        return q;
    }
    if (!Numeric(s)) return std::nullopt;
    std::string low, high;
    if (const int rank = IntegerRank(t); rank >= 0) {
        const int sourceRank = IntegerRank(s);
        const bool widens =
            sourceRank >= 0 && (Unsigned(s) == Unsigned(t) ? sourceRank <= rank : Unsigned(s) && sourceRank < rank);
        if (widens) return std::nullopt;
        const IntegerRange& range = kIntegers[static_cast<std::size_t>(rank)];
        low = Unsigned(t) ? "0" : range.low;
        high = Unsigned(t) ? range.unsignedHigh : range.high;
        const std::string rounded = "ROUND(" + column + ")";
        q.breaks = rounded + " < " + low + " OR " + rounded + " > " + high;
    } else if (Decimal(t)) {
        const int whole = t.precision - t.scale;
        const int sourceWhole = WholeDigits(s);
        if (sourceWhole >= 0 && sourceWhole <= whole) return std::nullopt;
        high = Nines(whole) + (t.scale > 0 ? "." + Nines(t.scale) : "");
        low = "-" + high;
        q.breaks = "ABS(ROUND(" + column + ", " + std::to_string(t.scale) + ")) > " + high;
    } else {
        return std::nullopt;
    }
    q.kind = ValueQuestion::Kind::Number;
    q.measure = "ABS(" + column + ")";
    q.shown = "CAST(" + column + " AS CHAR)";
    q.what = "원본 값이 대상 열의 범위를 벗어납니다 - 값 {}";
    q.need = "대상 열 " + t.columnType + "에는 " + low + " ~ " + high + "까지 들어갑니다. {}" +
             "까지 담을 수 있는 형식이어야 합니다";
    return q;
}

// A target unique key whose columns all come from source columns of their names, unless the
// source has a unique key among those columns already.
std::optional<ValueQuestion> DuplicateQuestion(const std::string& table, const std::string& key,
                                               const std::vector<std::string>& columns, const TableShape& source) {
    std::map<std::string, int> sourceKeys;  // the source's unique keys within these columns: columns counted
    std::map<std::string, int> sourceKeySizes;
    for (const Column& c : source.columns) {
        const bool within =
            std::ranges::any_of(columns, [&](const std::string& name) { return ado::SameColumnName(name, c.name); });
        for (const std::string& unique : c.uniqueKeys) {
            ++sourceKeySizes[unique];
            if (within) ++sourceKeys[unique];
        }
    }
    for (const auto& [unique, inside] : sourceKeys)
        if (inside == sourceKeySizes[unique]) return std::nullopt;
    std::string list, present, shown;
    for (const std::string& name : columns) {
        const std::string column = SqlIdentifier(name);
        list += (list.empty() ? "" : ", ") + column;
        present += (present.empty() ? "" : " AND ") + column + " IS NOT NULL";
        shown +=
            std::string(shown.empty() ? "" : ", ") + "CONCAT(" + SqlTextLiteral(name + " = ") + ", " + column + ")";
    }
    ValueQuestion q{ValueQuestion::Kind::Duplicate, table, {}, {}, {}, {}, {}, {}};
    for (const std::string& name : columns) q.column += (q.column.empty() ? "" : ", ") + name;
    if (columns.size() > 1) q.column = "(" + q.column + ")";
    q.measure = "COUNT(*)";
    q.breaks = present + " GROUP BY " + list + " HAVING COUNT(*) > 1";
    q.shown = "CONCAT(CONCAT_WS(', ', " + shown + "), ' (', COUNT(*), " + SqlTextLiteral("행)") + ")";
    q.what = "원본에 같은 값의 행이 여럿 있습니다 - {}";
    q.need =
        "대상의 고유 키 " + key + "는 같은 값을 한 번만 받습니다. 원본의 중복을 정리하거나 대상의 키를 확인해야 합니다";
    return q;
}

std::string Replaced(std::string text, const std::string& value) {
    for (std::size_t at = text.find("{}"); at != std::string::npos; at = text.find("{}", at + value.size()))
        text.replace(at, 2, value);
    return text;
}

// The source key of a row, as SQL giving "code = 2" ("a = 1, b = x" for several columns).
std::string KeyText(const std::vector<std::string>& key) {
    std::string parts;
    for (const std::string& name : key)
        parts += std::string(parts.empty() ? "" : ", ") + "CONCAT(" + SqlTextLiteral(name + " = ") + ", " +
                 SqlIdentifier(name) + ")";
    return "CONCAT_WS(', ', " + parts + ")";
}

// Which questions have rows that break their limits: each table read once for all its
// length and range questions, every table in one statement. A duplicate question is left to
// the search for the worst rows.
std::vector<bool> Breaking(ado::Connection& source, const std::vector<ValueQuestion>& questions) {
    std::vector<bool> breaking(questions.size(), true);
    std::map<std::string, std::vector<std::size_t>> byTable;
    for (std::size_t i = 0; i < questions.size(); ++i)
        if (questions[i].kind != ValueQuestion::Kind::Duplicate) byTable[questions[i].table].push_back(i);
    if (byTable.empty()) return breaking;
    std::string sql;
    for (const auto& [table, asked] : byTable) {
        std::string counts;
        for (const std::size_t i : asked)
            counts += std::string(counts.empty() ? "" : ", ") + "IFNULL(SUM(" + questions[i].breaks + "), 0)";
        sql += std::string(sql.empty() ? "SELECT " : ", ") + "(SELECT CONCAT_WS(',', " + counts + ") FROM " +
               SqlIdentifier(table) + ")";
    }
    const auto row = source.Execute(sql);
    int column = 0;
    for (const auto& [table, asked] : byTable) {
        const std::string counts = row->GetFields().Item(column++).GetValue().Text();
        std::size_t from = 0;
        for (const std::size_t i : asked) {
            const std::size_t end = std::min(counts.find(',', from), counts.size());
            breaking[i] = counts.compare(from, end - from, "0") != 0;
            from = end + 1;
        }
    }
    return breaking;
}

}  // namespace

std::vector<std::string> ValueProblems(ado::Connection& source, const std::vector<RunTable>& tables,
                                       const SchemaShapes& from, const SchemaShapes& to,
                                       const std::map<std::string, std::vector<std::string>>& sourceKeys) {
    std::vector<ValueQuestion> questions;
    for (const RunTable& table : tables) {
        const auto s = from.find(table.name);
        const auto t = to.find(table.name);
        if (s == from.end() || t == to.end()) continue;
        std::map<std::string, std::vector<std::string>> uniques;  // the target's unique keys and their columns
        std::set<std::string> unfilled;                           // those with a column no source column fills
        for (const Column& target : t->second.columns) {
            const Column* filler = nullptr;
            for (const Column& column : s->second.columns)
                if (Fills(table.name, column.name, target.name)) filler = &column;
            for (const std::string& unique : target.uniqueKeys) {
                uniques[unique].push_back(target.name);
                if (!filler || target.computed || !ado::SameColumnName(filler->name, target.name))
                    unfilled.insert(unique);
            }
            if (!filler || target.computed) continue;
            if (auto question = QuestionFor(table.name, *filler, target)) {
                // The order-detail table's old key goes into "unit" as text.
                if (!ado::SameColumnName(filler->name, target.name)) question->column = target.name;
                questions.push_back(std::move(*question));
            }
        }
        for (const auto& [unique, columns] : uniques)
            if (!unfilled.contains(unique))
                if (auto question = DuplicateQuestion(table.name, unique, columns, s->second))
                    questions.push_back(std::move(*question));
    }
    if (questions.empty()) return {};
    const std::vector<bool> asked = Breaking(source, questions);

    // One row per question whose table holds a value that does not fit: the worst of them.
    std::string sql;
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const ValueQuestion& q = questions[i];
        if (!asked[i]) continue;
        const auto key = sourceKeys.find(q.table);
        const bool byRow = q.kind != ValueQuestion::Kind::Duplicate && key != sourceKeys.end() && !key->second.empty();
        const std::string keyText = byRow ? KeyText(key->second) : SqlTextLiteral("");
        sql += std::string(sql.empty() ? "" : " UNION ALL ") + "(SELECT " + std::to_string(i) + ", " + q.shown + ", " +
               keyText + " FROM " + SqlIdentifier(q.table) + " WHERE " + q.breaks + " ORDER BY " + q.measure +
               " DESC LIMIT 1)";
    }
    if (sql.empty()) return {};
    std::vector<std::string> problems(questions.size());
    const auto rows = source.Execute(sql);
    for (; !rows->Eof(); rows->MoveNext()) {
        ado::Fields& f = rows->GetFields();
        const auto i = static_cast<std::size_t>(f.Item(0).GetValue().ToLong());
        const ValueQuestion& q = questions.at(i);
        std::string worst = f.Item(1).GetValue().IsNull() ? "" : f.Item(1).GetValue().Text();
        if (q.kind == ValueQuestion::Kind::Length) worst = GroupDigits(std::stoll(worst));
        const std::string key = f.Item(2).GetValue().IsNull() ? "" : f.Item(2).GetValue().Text();
        std::string line = q.table + "." + q.column + ": " + Replaced(q.what, worst);
        if (q.kind != ValueQuestion::Kind::Duplicate)
            line += " (원본 행: " + (key.empty() ? std::string("키 없음") : key) + ")";
        problems[i] = line + " - " + Replaced(q.need, worst);
    }
    std::erase_if(problems, [](const std::string& line) { return line.empty(); });
    return problems;
}
