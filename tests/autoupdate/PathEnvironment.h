#pragma once
#include <cstdlib>
#include <string>

#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

namespace testsupport {

// Puts a folder with a stand-in "xdg-open" first in PATH for the scope of the object; the
// stand-in appends its arguments to xdg-open.log in that folder.
class FakeXdgOpen {
public:
    explicit FakeXdgOpen(const std::string& folder) : folder_(folder) {
        WriteScript(folder + "/xdg-open", "printf '%s\\n' \"$@\" >> \"" + Log() + "\"\n");
        const char* path = std::getenv("PATH");
        old_ = path ? path : "";
        ::setenv("PATH", (folder + ":" + old_).c_str(), 1);
    }
    ~FakeXdgOpen() { ::setenv("PATH", old_.c_str(), 1); }
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    std::string Log() const { return folder_ + "/xdg-open.log"; }

private:
    std::string folder_;
    std::string old_;
};

}  // namespace testsupport
