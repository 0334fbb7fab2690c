#pragma once
// The error number a data-layer call raises, for the tests of the in-memory parts.
#include <cstdint>

#include "common/VbError.h"

namespace datalayertest {

// The number of the VbError `f` raises; 0 when it raises none.
template <typename F>
std::int32_t ErrorNumberOf(F&& f) {
    try {
        f();
    } catch (const VbError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace datalayertest
