#include "datalayer/odbc/SqlText.h"

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

}  // namespace ado::odbc
