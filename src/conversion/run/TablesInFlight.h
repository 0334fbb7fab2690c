#pragma once
#include <chrono>

namespace ado {
class Connection;
}

// How many tables a run copies side by side. Near the servers a table in flight keeps a
// processor core busy, so one per core; far from them it mostly waits for answers, and
// more tables in flight fill those waits.
inline constexpr int kTablesInFlightByDistance = 0;  // a request that leaves the number to the run
inline constexpr int kMostTablesInFlight = 4;
// A server whose quickest answer takes this long is far: the round trips, not the cores, set the pace.
inline constexpr std::chrono::microseconds kFarRoundTrip{2000};

// One per processor core, at most kMostTablesInFlight: near the servers more would only
// queue on them.
int DefaultTablesInFlight();

// The quickest of a few answers to the smallest query.
std::chrono::microseconds RoundTrip(ado::Connection& connection);

// DefaultTablesInFlight() near both servers; kMostTablesInFlight when either is far.
int TablesInFlight(ado::Connection& source, ado::Connection& target);
