#include "datalayer/Value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/TrimBlanks.h"
#include "datalayer/AdoErrors.h"

namespace ado {

namespace {

std::string DoubleText(double number) {
    // Shortest text that reads back as the same double (what a round trip needs).
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
    if (ec != std::errc()) return std::to_string(number);
    return std::string(buffer, end);
}

std::int32_t RoundToLong(double number) {
    if (!std::isfinite(number)) Raise(err::kOverflow, source::kValue, err::kOverflowText);
    // The classic conversion rounds halves to the even neighbour: 2.5 -> 2, 3.5 -> 4.
    const double rounded = std::nearbyint(number);
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        Raise(err::kOverflow, source::kValue, err::kOverflowText);
    return static_cast<std::int32_t>(rounded);
}

std::int32_t NarrowToLong(std::int64_t number) {
    if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max())
        Raise(err::kOverflow, source::kValue, err::kOverflowText);
    return static_cast<std::int32_t>(number);
}

std::int32_t TextToLong(const std::string& text) {
    const std::string_view body = TrimmedView(text, " \t");
    if (body.empty()) Raise(vberr::kTypeMismatch, source::kValue, vberr::kTypeMismatchText);
    const char* begin = body.data();
    const char* end = body.data() + body.size();
    if (*begin == '+') ++begin;  // from_chars takes a '-' but not a '+'
    if (begin == end) Raise(vberr::kTypeMismatch, source::kValue, vberr::kTypeMismatchText);

    // Whole numbers exactly, so large integers near the limits are judged without rounding.
    std::int64_t whole = 0;
    auto [wend, wec] = std::from_chars(begin, end, whole);
    if (wend == end) {
        if (wec == std::errc::result_out_of_range) Raise(err::kOverflow, source::kValue, err::kOverflowText);
        if (wec == std::errc()) return NarrowToLong(whole);
    }
    double number = 0;
    auto [dend, dec] = std::from_chars(begin, end, number);
    if (dend != end || (dec != std::errc() && dec != std::errc::result_out_of_range))
        Raise(vberr::kTypeMismatch, source::kValue, vberr::kTypeMismatchText);
    if (dec == std::errc::result_out_of_range) Raise(err::kOverflow, source::kValue, err::kOverflowText);
    return RoundToLong(number);
}

}  // namespace

std::string Value::Text() const {
    switch (v_.index()) {
        case 0:
            Raise(vberr::kInvalidUseOfNull, source::kValue, vberr::kInvalidUseOfNullText);
        case 1:
            return AsText();
        case 2:
            return std::to_string(AsInteger());
        case 3:
            return DoubleText(AsDouble());
        default:
            return AsBytes().data;
    }
}

std::int32_t Value::ToLong() const {
    switch (v_.index()) {
        case 0:
            Raise(vberr::kInvalidUseOfNull, source::kValue, vberr::kInvalidUseOfNullText);
        case 1:
            return TextToLong(AsText());
        case 2:
            return NarrowToLong(AsInteger());
        case 3:
            return RoundToLong(AsDouble());
        default:
            Raise(vberr::kTypeMismatch, source::kValue, vberr::kTypeMismatchText);
    }
}

bool Value::IsEmptyText() const {
    return IsText() && AsText().empty();
}

}  // namespace ado
