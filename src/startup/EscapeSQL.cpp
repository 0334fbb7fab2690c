#include "startup/EscapeSQL.h"

namespace {
std::string ReplaceAll(const std::string& text, char from, const char* to) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == from)
            out += to;
        else
            out += c;
    }
    return out;
}
}  // namespace

std::string EscapeSQL(const std::string& text) {
    // A NUL would end the statement early inside the client library; what follows it
    // takes no part in the comparison.
    std::string cut = text.substr(0, text.find('\0'));
    // Quotes are doubled before backslashes are: both orders give a literal the server
    // reads back as the original text, with or without NO_BACKSLASH_ESCAPES, and never
    // a quote that ends the literal.
    return ReplaceAll(ReplaceAll(cut, '\'', "''"), '\\', "\\\\");
}
