#pragma once
#include <string>
#include <vector>

#include "conversion/RunEvents.h"

namespace ado {
class Connection;
}

// Starts one read-only snapshot on the source connection: every later read of it, the
// copy's and the verification's, sees the source as it was at this moment, whatever the
// customer's own program commits meanwhile. Only transactional tables (InnoDB) are held by
// it; returns the selected tables that are not.
std::vector<std::string> BeginSourceSnapshot(ado::Connection& source, const std::vector<RunTable>& tables);
