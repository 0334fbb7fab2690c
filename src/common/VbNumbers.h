#pragma once
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/TrimBlanks.h"
#include "common/VbError.h"

// Number-from-text conversions with the classic runtime's rules, used where the program
// reads version numbers from files and from the download server.
namespace vbnum {

inline constexpr std::int32_t kOverflow = 6;

// The leading decimal number of a text (sign, digits, decimal point, exponent with E or D),
// blanks, tabs and line feeds anywhere in the text ignored; 0 when there is none.
// A number beyond the range of a double raises Overflow (6).
inline double Val(std::string_view text) {
    std::string packed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    std::size_t i = 0;
    std::string number;
    if (i < packed.size() && (packed[i] == '+' || packed[i] == '-')) number += packed[i++];
    bool digits = false;
    while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++], digits = true;
    if (i < packed.size() && packed[i] == '.') {
        number += packed[i++];
        while (i < packed.size() && packed[i] >= '0' && packed[i] <= '9') number += packed[i++], digits = true;
    }
    if (!digits) return 0.0;
    if (i < packed.size() && (packed[i] == 'e' || packed[i] == 'E' || packed[i] == 'd' || packed[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < packed.size() && (packed[j] == '+' || packed[j] == '-')) exponent += packed[j++];
        bool expDigits = false;
        while (j < packed.size() && packed[j] >= '0' && packed[j] <= '9') exponent += packed[j++], expDigits = true;
        if (expDigits) number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(value)) throw VbError(kOverflow, "runtime", "Overflow");
    return value;
}

// A number rounded to a 32-bit integer, halves to the even neighbour; Overflow (6) when
// the rounded value does not fit.
inline std::int32_t CLng(double value) {
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw VbError(kOverflow, "runtime", "Overflow");
    return static_cast<std::int32_t>(rounded);
}

// A text formatted with the number format "0": a numeric text becomes a whole number
// without leading zeros (halves rounded away from zero); any other text stays as it is.
inline std::string FormatWhole(const std::string& text) {
    const std::string_view body = TrimmedView(text);
    if (body.empty()) return text;
    std::size_t i = 0;
    bool negative = false;
    if (body[i] == '+' || body[i] == '-') negative = body[i++] == '-';
    std::size_t intDigits = 0, fracDigits = 0;
    const std::size_t intStart = i;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++intDigits;
    const std::size_t intEnd = i;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && body[i] >= '0' && body[i] <= '9') ++i, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) return text;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < body.size() && body[j] >= '0' && body[j] <= '9') ++j;
        if (j == expStart) return text;
        i = j;
    }
    if (i != body.size()) return text;

    if (i == intEnd) {  // plain digits: exact, however long
        std::string_view digits = body.substr(intStart, intDigits);
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
        return (negative && digits != "0" ? "-" : "") + std::string(digits);
    }
    const double value = std::strtod(std::string(body).c_str(), nullptr);
    if (!std::isfinite(value)) return text;
    const double rounded = std::round(value);  // std::round: halves away from zero
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", rounded == 0.0 ? 0.0 : rounded);
    return buffer;
}

}  // namespace vbnum
