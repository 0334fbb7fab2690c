#pragma once
// Internal to the data layer: how column names compare.
#include <string>

namespace ado {

// Without regard to ASCII case, as the server compares them; bytes outside ASCII (Korean
// names) must match exactly.
inline bool SameColumnName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace ado
