#include "connection/OdbcIniFiles.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

// unixODBC's own answer to "which folder", exported by libodbcinst but declared only in
// its private header.
extern "C" char* odbcinst_system_file_path(char* buffer);

namespace odbcini {

namespace {
std::string AskUnixOdbc() {
    // The function may fill the buffer or return a path it saved earlier and leave the
    // buffer alone: only its return value counts.
    std::array<char, 4096> buffer{};
    const char* folder = odbcinst_system_file_path(buffer.data());
    std::string path = folder ? folder : "";
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path == "/" ? std::string() : path;
}

std::string AccountHome() {
    std::array<char, 16384> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/home";  // unixODBC's own fallback for an account without a passwd entry
}
}  // namespace

const std::string& SystemFolder() {
    static const std::string folder = AskUnixOdbc();
    return folder;
}

std::string SystemFile() {
    return SystemFolder().empty() ? std::string() : SystemFolder() + "/odbc.ini";
}

std::string UserFile() {
    const char* fromEnvironment = std::getenv("ODBCINI");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    return AccountHome() + "/.odbc.ini";
}

}  // namespace odbcini
