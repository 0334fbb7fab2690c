#include "conversion/NumbersAndTimes.h"

#include <cmath>
#include <cstdio>
#include <ctime>

std::string GroupDigits(std::int64_t count) {
    const bool negative = count < 0;
    const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(count) : static_cast<std::uint64_t>(count);
    const std::string digits = std::to_string(magnitude);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return negative ? "-" + grouped : grouped;
}

std::string DurationText(double seconds) {
    if (!(seconds > 0)) seconds = 0;
    char text[64];
    if (seconds < 60) {
        std::snprintf(text, sizeof text, "%.1f초", std::floor(seconds * 10) / 10);
        return text;
    }
    const auto whole = static_cast<long long>(seconds);
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%lld분 %02lld초", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld시간 %02lld분 %02lld초", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

namespace {
std::string Formatted(std::chrono::system_clock::time_point time, const char* format) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&t, &local);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}
}  // namespace

std::string LocalTimeText(std::chrono::system_clock::time_point time) {
    return Formatted(time, "%Y-%m-%d %H:%M:%S");
}

std::string LocalTimeStamp(std::chrono::system_clock::time_point time) {
    return Formatted(time, "%Y%m%d-%H%M%S");
}
