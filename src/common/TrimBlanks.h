#pragma once
#include <string>
#include <string_view>

// The program's one trimming routine: drops leading and trailing blanks. By default the
// blanks are U+0020 only (the emptiness tests of ID, name and host, and the texts the
// client library hands over); `blanks` names others where a format allows them.
std::string_view TrimmedView(std::string_view text, std::string_view blanks = " ");

// The same, as a string of its own.
inline std::string TrimBlanks(std::string_view text, std::string_view blanks = " ") {
    return std::string(TrimmedView(text, blanks));
}
