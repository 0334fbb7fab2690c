#include "conversion/run/TablesInFlight.h"

#include <algorithm>
#include <thread>

#include "datalayer/Connection.h"

int DefaultTablesInFlight() {
    return static_cast<int>(
        std::clamp(std::thread::hardware_concurrency(), 1U, static_cast<unsigned>(kMostTablesInFlight)));
}

std::chrono::microseconds RoundTrip(ado::Connection& connection) {
    using Clock = std::chrono::steady_clock;
    auto quickest = Clock::duration::max();
    for (int i = 0; i < 3; ++i) {
        const Clock::time_point sent = Clock::now();
        connection.Execute("SELECT 1");
        quickest = std::min(quickest, Clock::now() - sent);
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(quickest);
}

int TablesInFlight(ado::Connection& source, ado::Connection& target) {
    if (std::max(RoundTrip(source), RoundTrip(target)) >= kFarRoundTrip) return kMostTablesInFlight;
    return DefaultTablesInFlight();
}
