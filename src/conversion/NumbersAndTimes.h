#pragma once
#include <chrono>
#include <cstdint>
#include <string>

// Numbers and times as the window, the work log and the run records write them.

// A count with thousands separators: 1234567 -> "1,234,567".
std::string GroupDigits(std::int64_t count);

// A duration in seconds: "0.4초", "12.3초", "2분 03초", "1시간 02분 03초".
std::string DurationText(double seconds);

// A wall-clock time in local time: "2026-12-09 14:03:07".
std::string LocalTimeText(std::chrono::system_clock::time_point time);

// The same for a file name: "20261209-140307".
std::string LocalTimeStamp(std::chrono::system_clock::time_point time);
