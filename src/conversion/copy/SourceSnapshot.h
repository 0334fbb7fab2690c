#pragma once
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"

namespace ado {
class Connection;
}

// Starts one read-only snapshot on the source connection: every later read of it, the
// copy's and the verification's, sees the source as it was at this moment, whatever the
// customer's own program commits meanwhile. Only transactional tables (InnoDB) are held by
// it; returns the selected tables that are not.
std::vector<std::string> BeginSourceSnapshot(ado::Connection& source, const std::vector<RunTable>& tables);

// Starts the same snapshot on every one of `readers`: all begin while `locker` holds read
// locks on the selected tables that exist, so no commit to them falls between. Returns the
// selected tables the snapshot does not hold. Raises the server's error (no right to lock
// tables, a lock not granted within 10 seconds) with no snapshot started.
std::vector<std::string> BeginSharedSnapshot(ado::Connection& locker, const std::vector<ado::Connection*>& readers,
                                             const std::vector<RunTable>& tables);
