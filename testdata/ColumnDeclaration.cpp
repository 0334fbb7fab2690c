#include "testdata/ColumnDeclaration.h"

#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

namespace testdata {

namespace {

// Splits at blanks outside quotes and parentheses: "ENUM('Y', 'N') NOT NULL" gives
// "ENUM('Y', 'N')", "NOT", "NULL".
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string current;
    int depth = 0;
    bool quoted = false;
    for (char c : text) {
        if (quoted) {
            current += c;
            if (c == '\'') quoted = false;  // a doubled quote reopens at once
            continue;
        }
        if (c == '\'') quoted = true;
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ' ' && depth == 0) {
            if (!current.empty()) words.push_back(std::move(current));
            current.clear();
            continue;
        }
        current += c;
    }
    if (quoted || depth != 0) throw std::invalid_argument("unbalanced column declaration: " + std::string(text));
    if (!current.empty()) words.push_back(std::move(current));
    return words;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The value of a literal: 'a''b' -> a'b, 0.00 -> 0.00, NULL -> nullopt.
std::optional<std::string> LiteralValue(const std::string& literal) {
    if (Upper(literal) == "NULL") return std::nullopt;
    if (literal.size() < 2 || literal.front() != '\'') return literal;
    std::string value;
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        value += literal[i];
        if (literal[i] == '\'') ++i;
    }
    return value;
}

}  // namespace

Column ParseColumnDeclaration(std::string_view name, std::string_view declaration, std::string_view tableCharset) {
    Column column;
    column.name = std::string(name);
    column.declaration = std::string(declaration);
    const std::vector<std::string> words = Words(declaration);
    if (words.empty()) throw std::invalid_argument("empty declaration of column " + column.name);
    column.type = words[0];
    std::optional<std::string> charset;
    bool explicitDefault = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string word = Upper(words[i]);
        const bool hasNext = i + 1 < words.size();
        if (word == "NOT" && hasNext && Upper(words[i + 1]) == "NULL") {
            column.nullable = false;
            ++i;
        } else if (word == "NULL") {
            column.nullable = true;
        } else if (word == "DEFAULT" && hasNext) {
            explicitDefault = true;
            column.defaultValue = LiteralValue(words[++i]);
        } else if (word == "AUTO_INCREMENT") {
            column.autoIncrement = true;
        } else if (word == "CHARACTER" && i + 2 < words.size() && Upper(words[i + 1]) == "SET") {
            charset = words[i + 2];
            i += 2;
        } else {
            throw std::invalid_argument("unexpected '" + words[i] + "' in the declaration of column " + column.name);
        }
    }
    column.hasDefault = explicitDefault || column.nullable;
    if (column.IsText()) column.charset = charset ? *charset : std::string(tableCharset);
    return column;
}

std::string Column::BaseType() const {
    std::string base = Upper(type.substr(0, type.find('(')));
    return base;
}

namespace {
// The numbers inside the parentheses of a type: DECIMAL(12,2) -> 12, 2.
std::vector<int> TypeArguments(const std::string& type) {
    std::vector<int> numbers;
    const auto open = type.find('(');
    if (open == std::string::npos) return numbers;
    int value = -1;
    for (std::size_t i = open + 1; i < type.size(); ++i) {
        const char c = type[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
        } else {
            if (value >= 0) numbers.push_back(value);
            value = -1;
            if (c == ')') break;
        }
    }
    return numbers;
}
}  // namespace

int Column::Length() const {
    const std::string base = BaseType();
    if (base != "CHAR" && base != "VARCHAR") return 0;
    const auto args = TypeArguments(type);
    return args.empty() ? 1 : args[0];
}

int Column::Scale() const {
    if (BaseType() != "DECIMAL") return 0;
    const auto args = TypeArguments(type);
    return args.size() >= 2 ? args[1] : 0;
}

bool Column::IsText() const {
    const std::string base = BaseType();
    return base == "CHAR" || base == "VARCHAR" || base == "TINYTEXT" || base == "TEXT" || base == "MEDIUMTEXT" ||
           base == "LONGTEXT" || base == "ENUM";
}

bool Column::IsDateOrTime() const {
    const std::string base = BaseType();
    return base == "DATE" || base == "DATETIME" || base == "TIMESTAMP" || base == "TIME";
}

bool Column::IsBinary() const {
    const std::string base = BaseType();
    return base == "TINYBLOB" || base == "BLOB" || base == "MEDIUMBLOB" || base == "LONGBLOB";
}

}  // namespace testdata
