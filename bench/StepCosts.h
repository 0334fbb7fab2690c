#pragma once
// Two steps of ours measured on their own, outside a run, one table after another: reading
// every source table the way the copy reads it, and comparing every copied table with its
// source. Beside a run without comparison (the copy alone) they show where ours spends its
// CPU seconds.
#include <string>

#include "bench/Customers.h"
#include "bench/Machine.h"

namespace testsupport {
class IsolatedEnvironment;
}

namespace bench {

struct StepCosts {
    Span read, verify;
    std::string note;  // what went wrong, if anything did (the figures are then partial)
};

// After a completed conversion between `customers`.
StepCosts MeasureSteps(const testsupport::IsolatedEnvironment& env, const Customers& customers);

}  // namespace bench
