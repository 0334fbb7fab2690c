#pragma once
// Times the order-detail parent-link remap on its own, over a copy of the converted
// ordbook_d put back in the state the copy leaves it in (old parent keys in parentseq).
#include <cstdint>
#include <string>

#include "bench/Customers.h"
#include "bench/Machine.h"

namespace testsupport {
class IsolatedEnvironment;
}

namespace bench {

struct RemapResult {
    std::int64_t lines = 0;
    Span time;
    bool sameLinks = false;  // the remap gave the links the conversion run gave
    std::string note;
    double SecondsPerHundredThousand() const {
        return lines > 0 ? time.wall * 100000.0 / static_cast<double>(lines) : 0;
    }
};

RemapResult TimeRemap(const testsupport::IsolatedEnvironment& env, const Customers& customers);

}  // namespace bench
