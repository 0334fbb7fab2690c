#include "datalayer/ColumnRules.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "datalayer/AdoConstants.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace ado {

namespace {

std::string TextOf(const Value& value) {
    return value.IsNull() ? std::string() : value.Text();
}

bool OneOf(const std::string& type, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&type](const char* name) { return type == name; });
}

bool IntegerType(const std::string& type) {
    return OneOf(type, {"tinyint", "smallint", "mediumint", "int", "bigint"});
}
bool FloatingType(const std::string& type) {
    return OneOf(type, {"float", "double"});
}
bool BinaryType(const std::string& type) {
    return type.find("blob") != std::string::npos || type == "binary" || type == "varbinary";
}
bool TextType(const std::string& type) {
    return type.find("char") != std::string::npos || type.find("text") != std::string::npos || type == "enum" ||
           type == "set";
}
bool StringType(const std::string& type) {
    return BinaryType(type) || (TextType(type) && type != "enum" && type != "set");
}

std::string WithPrecision(const std::string& type, const std::string& digits) {
    return digits.empty() || digits == "0" ? type : type + "(" + digits + ")";
}

// The type the source's value is cast to so that it reads as the target column shows it.
std::string CastType(const ColumnType& target) {
    const std::string& t = target.dataType;
    if (t == "date") return "DATE";
    if (t == "datetime" || t == "timestamp") return WithPrecision("DATETIME", target.timePrecision);
    if (t == "time") return WithPrecision("TIME", target.timePrecision);
    if (t == "decimal") return "DECIMAL(" + target.precision + "," + target.scale + ")";
    if (FloatingType(t)) return "DOUBLE";
    if (t.find("int") != std::string::npos)
        return target.columnType.find("unsigned") != std::string::npos ? "UNSIGNED" : "SIGNED";
    if (BinaryType(t)) return "BINARY";
    return "CHAR CHARACTER SET utf8mb4";
}

// The column's default as an SQL expression: "NULL", a literal, or nothing when it is an
// expression of its own (CURRENT_TIMESTAMP, ...) whose value the source cannot know.
std::optional<std::string> DefaultSql(const ColumnType& target) {
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

// A value as the target column holds it, on the target side. YEAR and BIT compare as
// numbers: their text forms (0000, raw bytes) depend on the column's width.
std::string TargetForm(const ColumnType& target, const std::string& value) {
    if (BinaryType(target.dataType)) return "MD5(" + value + ")";
    if (TextType(target.dataType)) return "CONVERT(" + value + " USING utf8mb4)";
    if (target.dataType == "year" || target.dataType == "bit") return "(" + value + " + 0)";
    return value;
}

// A YEAR as the server stores a value into it: a number 1-99 or a text of one or two
// digits is a year of 1970-2069; a number 0 is the year 0000, a text '0' or '00' is 2000.
std::string YearOf(const std::string& expression, bool text) {
    const std::string n = "CAST(" + expression + " AS SIGNED)";
    const std::string twoDigits = "IF(" + n + " < 70, 2000 + " + n + ", 1900 + " + n + ")";
    if (text) return "IF(CHAR_LENGTH(" + expression + ") <= 2, " + twoDigits + ", " + n + ")";
    return "IF(" + n + " = 0 OR " + n + " >= 100, " + n + ", " + twoDigits + ")";
}

// A FLOAT as the copy reads it: the double named by the float's shortest decimal text,
// except where that text lies beyond FLOAT's range (then the exact value). The shortest
// text is the first of 1 to 9 significant digits that reads back as the same float.
std::string FloatAsRead(const std::string& column) {
    const std::string exact = "CAST(" + column + " AS DOUBLE)";
    const std::string exponent = "FLOOR(LOG10(ABS(" + exact + ")))";
    std::string form = "CASE WHEN " + column + " = 0 THEN " + exact;
    for (int digits = 1; digits <= 9; ++digits) {
        // Digits and exponent as text, which the server reads as the double nearest to it.
        const std::string rounded = "CAST(CONCAT(ROUND(" + exact + " / POW(10, " + exponent + "), " +
                                    std::to_string(digits - 1) + "), 'e', " + exponent + ") AS DOUBLE)";
        form += " WHEN CAST(" + rounded + " AS FLOAT) = " + exact + " THEN IF(ABS(" + rounded +
                ") > 3.4028234663852886e38, " + exact + ", " + rounded + ")";
    }
    return form + " ELSE " + exact + " END";
}

// Whether a column's values reach the target as numbers (otherwise as text or bytes).
bool NumericType(const std::string& type) {
    return IntegerType(type) || FloatingType(type) || OneOf(type, {"decimal", "year", "bit"});
}

// A source expression as the target column would hold it. `source` is the column it reads,
// or nullptr for a text literal (a default).
std::string SourceForm(const ColumnType* source, const ColumnType& target, const std::string& expected) {
    const bool number = source && NumericType(source->dataType);
    if (target.dataType == "year") return YearOf(expected, !number);
    // Into BIT a number is its bits, a text the codes of its bytes.
    if (target.dataType == "bit")
        return number ? "CAST(" + expected + " AS UNSIGNED)" : "CAST(CONV(HEX(" + expected + "), 16, 10) AS UNSIGNED)";
    // A FLOAT column keeps the single-precision value nearest to the double.
    if (target.dataType == "float") return "CAST(" + expected + " AS FLOAT)";
    std::string cast = "CAST(" + expected + " AS " + CastType(target) + ")";
    if (BinaryType(target.dataType)) return "MD5(" + cast + ")";
    // A CHAR column gives its text back without trailing blanks.
    if (target.dataType == "char") cast = "TRIM(TRAILING ' ' FROM " + cast + ")";
    return cast;
}

// Text in `source` reads as the same bytes in `target`.
bool SameBytes(const std::string& source, const std::string& target) {
    return source == target || (target == "utf8mb4" && (source == "utf8mb3" || source == "utf8"));
}

std::string Column(const ColumnType& column) {
    return "t." + SqlIdentifier(column.name);
}

}  // namespace

std::vector<ColumnType> ReadColumnTypes(Connection& connection, const std::string& table) {
    auto rows = connection.Execute(
        "SELECT COLUMN_NAME, LOWER(DATA_TYPE), LOWER(COLUMN_TYPE), COLUMN_KEY, LOWER(EXTRA), COLUMN_DEFAULT, "
        "NUMERIC_PRECISION, NUMERIC_SCALE, DATETIME_PRECISION, IS_NULLABLE, CHARACTER_SET_NAME, IS_GENERATED "
        "FROM information_schema.COLUMNS "
        "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
        SqlTextLiteral(table) + " ORDER BY ORDINAL_POSITION");
    std::vector<ColumnType> columns;
    for (; !rows->Eof(); rows->MoveNext()) {
        const auto& f = rows->GetFields();
        ColumnType c;
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
        c.computed = TextOf(f.Item(11).GetValue()) != "NEVER";
        columns.push_back(std::move(c));
    }
    return columns;
}

std::vector<std::string> ComputedColumns(Connection& connection, const std::string& table) {
    std::vector<std::string> names;
    for (const ColumnType& column : ReadColumnTypes(connection, table))
        if (column.computed) names.push_back(column.name);
    return names;
}

CopyWrite CopyWriteInto(int targetAdoType) {
    if (targetAdoType == adVarWChar) return CopyWrite::AsText;
    if (targetAdoType == adDBDate) return CopyWrite::DateUnlessEmpty;
    return CopyWrite::AsIs;
}

LoadForm LoadFormFor(ValueKind kind, const std::string& dataType) {
    switch (kind) {
        case ValueKind::Integer:
            // Digits read as text give the same integer as the bound one only where the
            // column is a number (YEAR, BIT, ENUM, SET and dates read digits otherwise).
            return IntegerType(dataType) || dataType == "decimal" ? LoadForm::Text : LoadForm::Integer;
        case ValueKind::Double:
            // The shortest text reads back as the same double; only a DOUBLE stores it as such.
            return dataType == "double" ? LoadForm::Text : LoadForm::Double;
        case ValueKind::Bytes:
            // Bytes read as utf8mb4 text could be taken for parts of characters.
            return LoadForm::Hex;
        case ValueKind::Text:
        case ValueKind::None:
        default:
            // Text is turned into the column's value by the same rules a bound text meets.
            return LoadForm::Text;
    }
}

bool LoadDefaultBeside(LoadForm form, const std::string& dataType) {
    switch (form) {
        case LoadForm::Text:
            return true;
        case LoadForm::Double:
            return FloatingType(dataType);
        case LoadForm::Hex:
            return StringType(dataType);
        case LoadForm::Integer:
        default:
            return false;
    }
}

std::optional<ValueForms> CopiedValueForms(const ColumnType& s, const ColumnType& t) {
    if (t.computed) return std::nullopt;
    const std::optional<std::string> fallback = DefaultSql(t);
    if (!fallback) return std::nullopt;
    // The same type in the same character set (or utf8mb3 text in a utf8mb4 column, whose
    // characters keep their bytes), and a Null arriving as a Null: the value is the same
    // bytes on both sides, with no conversion to spend time on.
    if (s.columnType == t.columnType && SameBytes(s.charset, t.charset) && (!s.nullable || *fallback == "NULL"))
        return ValueForms{Column(t), Column(t)};
    const std::string value = s.dataType == "float" ? FloatAsRead(Column(s)) : Column(s);
    std::string absent = Column(s) + " IS NULL";
    // An empty text leaves a date column its default.
    if (t.dataType == "date" && TextType(s.dataType)) absent += " OR " + Column(s) + " = ''";
    // Each branch in the target's form, so the value is never read as the default's text.
    return ValueForms{"IF(" + absent + ", " + SourceForm(nullptr, t, *fallback) + ", " + SourceForm(&s, t, value) + ")",
                      TargetForm(t, Column(t))};
}

std::optional<ValueForms> DefaultValueForms(const ColumnType& t) {
    if (t.computed) return std::nullopt;
    const std::optional<std::string> fallback = DefaultSql(t);
    if (!fallback) return std::nullopt;
    return ValueForms{SourceForm(nullptr, t, *fallback), TargetForm(t, Column(t))};
}

ValueForms KeyForms(const ColumnType& s, const ColumnType& t) {
    return {SourceForm(&s, t, Column(s)), TargetForm(t, Column(t))};
}

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

}  // namespace ado
