#pragma once
#include <functional>
#include <string>

namespace testsupport {

// Runs `check` in a child process that has a network namespace of its own, where no
// server answers on any address. Returns what the child's check returned; a child that
// could not enter the namespace or crashed fails the calling test. The child's failure
// description (if any) goes to `message`.
bool RunWithoutNetwork(const std::function<bool(std::string& message)>& check, std::string& message);

}  // namespace testsupport
