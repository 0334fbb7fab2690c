#include "conversion/VerificationForms.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "common/VbError.h"
#include "conversion/OrderDetailLinks.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

struct ColumnInfo {
    std::string name, dataType, columnType;
    bool key = false, autoIncrement = false, nullable = true;
    std::string charset;
    std::optional<std::string> defaultValue;  // as the server lists it; nullopt: none
    std::string precision, scale, timePrecision;
};

std::string TextOf(const ado::Value& value) {
    return value.IsNull() ? std::string() : value.Text();
}

std::vector<ColumnInfo> ReadColumns(ado::Connection& connection, const std::string& table) {
    auto rows = connection.Execute(
        "SELECT COLUMN_NAME, LOWER(DATA_TYPE), LOWER(COLUMN_TYPE), COLUMN_KEY, LOWER(EXTRA), COLUMN_DEFAULT, "
        "NUMERIC_PRECISION, NUMERIC_SCALE, DATETIME_PRECISION, IS_NULLABLE, CHARACTER_SET_NAME "
        "FROM information_schema.COLUMNS "
        "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
        SqlTextLiteral(table) + " ORDER BY ORDINAL_POSITION");
    std::vector<ColumnInfo> columns;
    for (; !rows->Eof(); rows->MoveNext()) {
        const auto& f = rows->GetFields();
        ColumnInfo c;
        c.name = TextOf(f.Item(0).GetValue());
        c.dataType = TextOf(f.Item(1).GetValue());
        c.columnType = TextOf(f.Item(2).GetValue());
        c.key = TextOf(f.Item(3).GetValue()) == "PRI";
        c.autoIncrement = TextOf(f.Item(4).GetValue()).find("auto_increment") != std::string::npos;
        if (!f.Item(5).GetValue().IsNull()) c.defaultValue = f.Item(5).GetValue().Text();
        c.precision = TextOf(f.Item(6).GetValue());
        c.scale = TextOf(f.Item(7).GetValue());
        c.timePrecision = TextOf(f.Item(8).GetValue());
        c.nullable = TextOf(f.Item(9).GetValue()) == "YES";
        c.charset = TextOf(f.Item(10).GetValue());
        columns.push_back(std::move(c));
    }
    if (columns.empty()) throw VbError(vberr::kItemNotFound, "검증", "테이블 " + table + "이(가) " + "DB에 없습니다");
    return columns;
}

const ColumnInfo* Find(const std::vector<ColumnInfo>& columns, const std::string& name) {
    for (const ColumnInfo& c : columns)
        if (c.name == name) return &c;
    return nullptr;
}

bool IsBinary(const ColumnInfo& c) {
    return c.dataType.find("blob") != std::string::npos || c.dataType == "binary" || c.dataType == "varbinary";
}

bool IsText(const ColumnInfo& c) {
    return c.dataType.find("char") != std::string::npos || c.dataType.find("text") != std::string::npos ||
           c.dataType == "enum" || c.dataType == "set";
}

std::string WithPrecision(const std::string& type, const std::string& digits) {
    return digits.empty() || digits == "0" ? type : type + "(" + digits + ")";
}

// The type the source's value is cast to so that it reads as the target column shows it.
std::string CastType(const ColumnInfo& target) {
    const std::string& t = target.dataType;
    if (t == "date") return "DATE";
    if (t == "datetime" || t == "timestamp") return WithPrecision("DATETIME", target.timePrecision);
    if (t == "time") return WithPrecision("TIME", target.timePrecision);
    if (t == "decimal") return "DECIMAL(" + target.precision + "," + target.scale + ")";
    if (t == "float" || t == "double") return "DOUBLE";
    if (t.find("int") != std::string::npos)
        return target.columnType.find("unsigned") != std::string::npos ? "UNSIGNED" : "SIGNED";
    if (IsBinary(target)) return "BINARY";
    return "CHAR CHARACTER SET utf8mb4";
}

// The column's default as an SQL expression: "NULL", a literal, or nothing when it is an
// expression of its own (CURRENT_TIMESTAMP, ...) whose value the source cannot know.
std::optional<std::string> DefaultSql(const ColumnInfo& target) {
    if (!target.defaultValue || *target.defaultValue == "NULL") return "NULL";
    const std::string& d = *target.defaultValue;
    if (d.size() >= 2 && d.front() == '\'' && d.back() == '\'') {
        std::string text;
        for (std::size_t i = 1; i + 1 < d.size(); ++i) {
            text += d[i];
            if (d[i] == '\'' && d[i + 1] == '\'') ++i;
        }
        return SqlTextLiteral(text);
    }
    if (!d.empty() && d.find_first_not_of("0123456789.-+eE") == std::string::npos) return SqlTextLiteral(d);
    return std::nullopt;
}

// A value as the target column holds it, on the target side.
std::string TargetForm(const ColumnInfo& target, const std::string& value) {
    if (IsBinary(target)) return "MD5(" + value + ")";
    if (IsText(target)) return "CONVERT(" + value + " USING utf8mb4)";
    return value;
}

// A source expression as the target column would hold it.
std::string SourceForm(const ColumnInfo& target, const std::string& expected) {
    std::string cast = "CAST(" + expected + " AS " + CastType(target) + ")";
    if (IsBinary(target)) return "MD5(" + cast + ")";
    // A CHAR column gives its text back without trailing blanks.
    if (target.dataType == "char") cast = "TRIM(TRAILING ' ' FROM " + cast + ")";
    return cast;
}

// Text in `source` reads as the same bytes in `target`.
bool SameBytes(const std::string& source, const std::string& target) {
    return source == target || (target == "utf8mb4" && (source == "utf8mb3" || source == "utf8"));
}

class Pairing {
public:
    Pairing(std::vector<ColumnInfo> source, std::vector<ColumnInfo> target, const std::string& table)
        : source_(std::move(source)), target_(std::move(target)), orderLines_(table == kOrderDetailTable) {}

    VerificationForms Build() {
        if (orderLines_) PairOrderLines();
        for (const ColumnInfo& s : source_) {
            if (orderLines_ && IsOrderLineLink(s.name)) continue;
            if (const ColumnInfo* t = Find(target_, s.name)) PairCommon(s, *t);
        }
        for (const ColumnInfo& t : target_) {
            if (Find(source_, t.name) || (orderLines_ && IsOrderLineLink(t.name))) continue;
            if (t.autoIncrement) continue;  // numbered by the target itself
            PairTargetOnly(t);
        }
        if (!orderLines_) PairKey();
        return std::move(forms_);
    }

private:
    static bool IsOrderLineLink(const std::string& name) {
        return name == "seq" || name == "unit" || name == "parentseq";
    }

    // A value pair; where the target column can hold a Null, whether each side is Null is
    // compared too, so that a Null differs from every value, the empty text included.
    void Push(const ColumnInfo& t, const std::string& source, const std::string& target) {
        forms_.sourceValues.push_back(source);
        forms_.targetValues.push_back(target);
        if (!t.nullable) return;
        forms_.sourceNulls.push_back("ISNULL(" + source + ")");
        forms_.targetNulls.push_back("ISNULL(" + target + ")");
    }

    void PairCommon(const ColumnInfo& s, const ColumnInfo& t) {
        const std::optional<std::string> fallback = DefaultSql(t);
        if (!fallback) {
            forms_.uncompared.push_back(t.name + " (기본값이 식)");
            return;
        }
        // The same type in the same character set (or utf8mb3 text in a utf8mb4 column, whose
        // characters keep their bytes), and a Null arriving as a Null: the value is the same
        // bytes on both sides, with no conversion to spend time on.
        if (s.columnType == t.columnType && SameBytes(s.charset, t.charset) && (!s.nullable || *fallback == "NULL")) {
            const std::string column = "t." + SqlIdentifier(t.name);
            Push(t, column, column);
            return;
        }
        std::string value = "t." + SqlIdentifier(s.name);
        std::string absent = value + " IS NULL";
        // A FLOAT arrives as the shortest text of its single-precision value.
        if (s.dataType == "float") value = "CAST(" + value + " AS CHAR)";
        // An empty text leaves a date column its default.
        if (t.dataType == "date" && IsText(s)) absent += " OR " + value + " = ''";
        Push(t, SourceForm(t, "IF(" + absent + ", " + *fallback + ", " + value + ")"),
             TargetForm(t, "t." + SqlIdentifier(t.name)));
    }

    void PairTargetOnly(const ColumnInfo& t) {
        const std::optional<std::string> fallback = DefaultSql(t);
        if (!fallback) {
            forms_.uncompared.push_back(t.name + " (기본값이 식)");
            return;
        }
        Push(t, SourceForm(t, *fallback), TargetForm(t, "t." + SqlIdentifier(t.name)));
    }

    // Rows are paired by the source's key, which the copy carries over unchanged; a table
    // without one is paired by its whole row.
    void PairKey() {
        for (const ColumnInfo& s : source_) {
            if (!s.key) continue;
            const ColumnInfo* t = Find(target_, s.name);
            if (!t) {
                forms_.sourceKey.clear();
                forms_.targetKey.clear();
                forms_.keyNames.clear();
                break;
            }
            forms_.sourceKey.push_back(SourceForm(*t, "t." + SqlIdentifier(s.name)));
            forms_.targetKey.push_back(TargetForm(*t, "t." + SqlIdentifier(t->name)));
            forms_.keyNames.push_back(s.name);
        }
        if (forms_.keyNames.empty()) {
            forms_.sourceKey = forms_.sourceValues;
            forms_.targetKey = forms_.targetValues;
        }
    }

    // An order line is known by its old key, which the target keeps in "unit"; its parent
    // link must lead to the line whose old key the source's link named.
    void PairOrderLines() {
        forms_.sourceKey = {"CAST(t.seq AS CHAR CHARACTER SET utf8mb4)"};
        forms_.targetKey = {"CONVERT(t.unit USING utf8mb4)"};
        forms_.keyNames = {"seq"};
        forms_.sourceValues = {forms_.sourceKey.front(),
                               "IFNULL(CAST(t.parentseq AS CHAR CHARACTER SET utf8mb4), '~')"};
        forms_.targetValues = {forms_.targetKey.front(), "IFNULL(CONVERT(p.unit USING utf8mb4), '~')"};
        forms_.targetJoin = "LEFT JOIN " + SqlIdentifier(kOrderDetailTable) + " p ON p.seq = t.parentseq";
    }

    std::vector<ColumnInfo> source_, target_;
    bool orderLines_;
    VerificationForms forms_;
};

}  // namespace

std::string SqlIdentifier(const std::string& name) {
    std::string quoted = "`";
    for (const char c : name) quoted += c == '`' ? std::string("``") : std::string(1, c);
    return quoted + "`";
}

std::string SqlTextLiteral(const std::string& text) {
    std::string hex = "CONVERT(X'";
    char digits[3];
    for (const char c : text) {
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(c));
        hex += digits;
    }
    return hex + "' USING utf8mb4)";
}

VerificationForms PairColumns(ado::Connection& source, ado::Connection& target, const std::string& table) {
    return Pairing(ReadColumns(source, table), ReadColumns(target, table), table).Build();
}
