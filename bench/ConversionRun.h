#pragma once
// One complete conversion run in this process, as a user starts it from the window:
// both IDs typed, the chosen tables ticked, Start pressed and Yes answered.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bench/Customers.h"
#include "bench/Machine.h"

namespace bench {

// The time left the window's status line showed at a point of the run, beside the time the
// run then really took to end.
struct TimeLeftCheck {
    double fraction = 0;  // of the run's working time
    double at = 0;        // seconds into the run
    double shown = -1;    // seconds left as the status line said them; -1 while it had no estimate
    double real = 0;
};

struct ConversionResult {
    bool completed = false;
    std::string lastMessage;  // the completion message, or the error report
    Span time;
    std::int64_t peakKiB = 0;    // peak resident memory during the run
    bool peakOfRunOnly = false;  // false: the peak covers the process from its start
    // Resident memory when the per-table bar of the biggest table passed 0%, 10%, ... 100%.
    std::vector<std::int64_t> residentByTenth;
    std::string log;
    // Seconds each table took, as the run reported it (emptying, copying and remapping it).
    std::vector<std::pair<std::string, double>> tableSeconds;
    double verifySeconds = 0;  // comparing the copied tables with their sources, beside the copy
    // Rows each table sent by LOAD DATA in this run (the rest went as arrays).
    std::vector<std::pair<std::string, std::int64_t>> loadedRows;
    // At a tenth, a half and nine tenths of the run (with `everyTenth`, at each tenth).
    std::vector<TimeLeftCheck> timeLeft;
};

// Runs the conversion of `tables` (empty: all 80) between the two customers; `verify` false
// leaves out comparing each table with its source. The target may hold an earlier copy.
ConversionResult RunConversion(const Customers& customers, const std::vector<std::string>& tables, bool verify = true,
                               bool everyTenth = false);

// The run's `named` slowest tables with their seconds, slowest first, then what the others took.
std::string SlowestTables(const ConversionResult& run, std::size_t named);

}  // namespace bench
