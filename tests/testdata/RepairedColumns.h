#pragma once
#include <array>
#include <string_view>

// The sixteen date columns whose zero dates a conversion repairs in the older edition
// before it reads any table, with the zero value it looks for and what replaces it.
struct RepairedColumn {
    std::string_view table;
    std::string_view column;
    std::string_view zero;
    std::string_view replacement;
};

inline constexpr std::string_view kZeroDate = "0000-00-00";
inline constexpr std::string_view kZeroDateTime = "0000-00-00 00:00:00";

inline constexpr std::array<RepairedColumn, 16> kRepairedColumns = {{
    {"billnote", "expiredate", kZeroDate, "1900-01-01"},
    {"billnote", "dealdate", kZeroDate, "1900-01-01"},
    {"customer", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"product_m", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"invn_real", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"multy_price", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"special_dc", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"special_price", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"receive", "expiredate", kZeroDate, "1900-01-01"},
    {"payment", "expiredate", kZeroDate, "1900-01-01"},
    {"estimate_m", "estidate", kZeroDate, "1900-01-01"},
    {"special_price", "sdate", kZeroDate, "1900-01-01"},
    {"custprodmatch", "lastmodify", kZeroDateTime, "1900-01-01 01:01:01"},
    {"taxlist_m", "issuedate", kZeroDate, "1900-01-01"},
    {"customer", "lastemaildate", kZeroDateTime, "1900-01-01 00:00:00"},
    {"workshift", "data_created", kZeroDateTime, "1900-01-01 00:00:00"},
}};
