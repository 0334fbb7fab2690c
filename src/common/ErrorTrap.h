#pragma once
#include <exception>
#include <filesystem>
#include <functional>
#include <new>
#include <utility>

#include "common/VbError.h"

// An unexpected failure as the run-time error the program reports: a VbError stays what
// it is; other exceptions get the numbers the classic runtime gave the same failures.
inline VbError AsVbError(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const VbError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return VbError(7, "runtime", "Out of memory");
    } catch (const std::filesystem::filesystem_error&) {
        return VbError(75, "runtime", "Path/File access error");
    } catch (const std::exception& other) {
        return VbError(51, "runtime", std::string("Internal error: ") + other.what());
    } catch (...) {
        return VbError(51, "runtime", "Internal error");
    }
}

// The error trap of a procedure that reports an unexpected error and then goes on with
// the statement after the failed one: each step runs under the trap, and a failing step
// is reported and skipped.
class ErrorTrap {
public:
    using Reporter = std::function<void(const VbError&)>;
    explicit ErrorTrap(Reporter report) : report_(std::move(report)) {}

    // Runs one step; false when it failed (after the report).
    template <class Step>
    bool Run(Step&& step) {
        try {
            std::forward<Step>(step)();
            return true;
        } catch (...) {
            report_(AsVbError(std::current_exception()));
            return false;
        }
    }

private:
    Reporter report_;
};
