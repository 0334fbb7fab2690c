#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "common/VbError.h"

namespace testsupport {

// The error a call raises; fails the test when it raises none.
inline VbError RaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return VbError(0, "", "");
}

}  // namespace testsupport
