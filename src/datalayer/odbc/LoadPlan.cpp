#include "datalayer/odbc/LoadPlan.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

bool OneOf(const std::string& type, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&type](const char* name) { return type == name; });
}

bool IntegerColumn(const std::string& type) {
    return OneOf(type, {"tinyint", "smallint", "mediumint", "int", "bigint", "decimal"});
}
bool FloatingColumn(const std::string& type) {
    return OneOf(type, {"float", "double"});
}
bool StringColumn(const std::string& type) {
    return OneOf(type, {"char", "varchar", "tinytext", "text", "mediumtext", "longtext", "binary", "varbinary",
                        "tinyblob", "blob", "mediumblob", "longblob"});
}

LoadForm FormFor(ValueKind kind, const std::string& type) {
    switch (kind) {
        case ValueKind::Integer:
            // Digits read as text give the same integer as the bound one only where the
            // column is a number (YEAR, BIT, ENUM, SET and dates read digits otherwise).
            return IntegerColumn(type) ? LoadForm::Text : LoadForm::Integer;
        case ValueKind::Double:
            // The shortest text reads back as the same double; only a DOUBLE stores it as such.
            return type == "double" ? LoadForm::Text : LoadForm::Double;
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

// Whether IF(flag, converted, DEFAULT(column)) stores the converted value unchanged: the
// IF takes one type for both of its branches, which must be the conversion's own.
bool DefaultBeside(LoadForm form, const std::string& type) {
    switch (form) {
        case LoadForm::Text:
            return true;
        case LoadForm::Double:
            return FloatingColumn(type);
        case LoadForm::Hex:
            return StringColumn(type);
        case LoadForm::Integer:
        default:
            return false;
    }
}

std::string Converted(LoadForm form, const std::string& variable) {
    switch (form) {
        case LoadForm::Integer:
            return "CAST(" + variable + " AS SIGNED)";
        case LoadForm::Double:
            return "CAST(" + variable + " AS DOUBLE)";
        case LoadForm::Hex:
            return "UNHEX(" + variable + ")";
        case LoadForm::Text:
        default:
            return variable;
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace

std::optional<std::vector<LoadColumn>> PlanLoad(const std::vector<std::string>& columns,
                                                const std::map<std::string, std::string>& dataTypes,
                                                const std::vector<ValueKind>& kinds, const std::vector<char>& used,
                                                const std::vector<char>& everyRow) {
    std::vector<LoadColumn> plan;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!used[c]) continue;
        const auto type = dataTypes.find(Lower(columns[c]));
        if (type == dataTypes.end()) return std::nullopt;
        const LoadForm form = FormFor(kinds[c], type->second);
        if (!everyRow[c] && !DefaultBeside(form, type->second)) return std::nullopt;
        plan.push_back({c, form, everyRow[c] != 0});
    }
    if (plan.empty()) return std::nullopt;
    // Columns read straight into the table come first, as LOAD DATA lists them.
    std::stable_partition(plan.begin(), plan.end(),
                          [](const LoadColumn& l) { return l.everyRow && l.form == LoadForm::Text; });
    return plan;
}

std::string LoadStatement(const std::string& fileName, const std::string& quotedTable,
                          const std::vector<std::string>& columns, const std::vector<LoadColumn>& plan) {
    // A column every row assigns in the form of its values is read straight into it; any
    // other is read into a variable, converted, and one that some rows leave out has a
    // flag beside it: where the flag says the row left it out, it takes its default, as an
    // INSERT naming the column or not would.
    std::string fields, sets;
    for (const LoadColumn& l : plan) {
        const std::string column = QuoteIdentifier(columns[l.index]);
        if (!fields.empty()) fields += ", ";
        if (l.everyRow && l.form == LoadForm::Text) {
            fields += column;
            continue;
        }
        const std::string value = "@v" + std::to_string(l.index);
        const std::string flag = "@a" + std::to_string(l.index);
        fields += value;
        std::string expression = Converted(l.form, value);
        if (!l.everyRow) {
            fields += ", " + flag;
            expression = "IF(" + flag + " = '1', " + expression + ", DEFAULT(" + column + "))";
        }
        sets += (sets.empty() ? " SET " : ", ") + column + " = " + expression;
    }
    return "LOAD DATA LOCAL INFILE '" + fileName + "' INTO TABLE " + quotedTable +
           " CHARACTER SET utf8mb4 FIELDS TERMINATED BY X'09' ESCAPED BY X'5C' LINES TERMINATED BY X'0A' (" + fields +
           ")" + sets;
}

}  // namespace ado::odbc
