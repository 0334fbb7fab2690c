#include "datalayer/odbc/SqlText.h"

#include "datalayer/ColumnName.h"

namespace ado::odbc {

std::string QuoteIdentifier(const std::string& name) {
    std::string quoted = "`";
    for (char c : name) {
        if (c == '`') quoted += '`';
        quoted += c;
    }
    quoted += '`';
    return quoted;
}

std::string ConnectionStringValue(const std::string& value) {
    const bool plain = value.find_first_of(";{}=") == std::string::npos &&
                       (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plain) return value;
    std::string braced = "{";
    for (char c : value) {
        if (c == '}') braced += '}';
        braced += c;
    }
    braced += '}';
    return braced;
}

std::string ConnectionStringAttribute(const std::string& text, const std::string& key) {
    std::string found;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        if (equals == std::string::npos) break;
        const std::string name = text.substr(at, equals - at);
        std::string value;
        std::size_t end = equals + 1;
        if (end < text.size() && text[end] == '{') {
            // Braced: '}}' stands for '}', a single '}' ends it.
            for (++end; end < text.size(); ++end) {
                if (text[end] == '}') {
                    if (end + 1 < text.size() && text[end + 1] == '}') {
                        value += '}';
                        ++end;
                        continue;
                    }
                    ++end;
                    break;
                }
                value += text[end];
            }
            end = text.find(';', end);
        } else {
            end = text.find(';', end);
            value = text.substr(equals + 1, (end == std::string::npos ? text.size() : end) - equals - 1);
        }
        if (SameColumnName(name, key)) found = value;
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return found;
}

}  // namespace ado::odbc
