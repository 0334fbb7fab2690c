#include "connection/OdbcIniFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace odbcini {

namespace {
std::string AccountHome() {
    std::array<char, 16384> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/home";  // unixODBC's own fallback for an account without a passwd entry
}
}  // namespace

std::string UserFile() {
    const char* fromEnvironment = std::getenv("ODBCINI");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    return AccountHome() + "/.odbc.ini";
}

}  // namespace odbcini
