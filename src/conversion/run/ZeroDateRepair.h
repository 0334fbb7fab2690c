#pragma once
#include <array>
#include <memory>
#include <string>

#include "conversion/run/RunEvents.h"

namespace ado {
class Connection;
}

// The sixteen statements that replace the older edition's zero dates with dates in
// 1900 before any table is read, in the order they are sent.
const std::array<const char*, 16>& ZeroDateStatements();

// Runs them on the source connection. The first failure is reported through `events` (and
// the rest skipped); the caller carries on either way. Returns "" when all ran, else the
// report shown. A connection cut by a stop request raises its error to the caller instead.
std::string E_FAIL_Error_Solution(const std::shared_ptr<ado::Connection>& source, RunEvents& events);
