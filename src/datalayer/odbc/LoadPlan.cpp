#include "datalayer/odbc/LoadPlan.h"

#include <algorithm>
#include <cctype>

#include "datalayer/ColumnRules.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

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
        const LoadForm form = LoadFormFor(kinds[c], type->second);
        if (!everyRow[c] && !LoadDefaultBeside(form, type->second)) return std::nullopt;
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
