#include "connection/OdbcIniFiles.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/AccountEntry.h"

namespace odbcini {

std::string UserFile() {
    const char* fromEnvironment = std::getenv("ODBCINI");
    if (fromEnvironment && *fromEnvironment) return fromEnvironment;
    // unixODBC's own fallback for an account without a passwd entry is /home.
    const auto account = platform::AccountEntryOf(::getuid());
    return (account && !account->home.empty() ? account->home : std::string("/home")) + "/.odbc.ini";
}

}  // namespace odbcini
