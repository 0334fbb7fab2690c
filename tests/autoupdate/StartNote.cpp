// nutv_start_note: a program for the file replacer's tests. Each start appends one line to
// started.log in its folder: its revision and the restart mark it was given ("-" for none).
#include <cstdlib>
#include <fstream>

#include "autoupdate/ExecutableCheck.h"
#include "autoupdate/UpdateNames.h"
#include "platform/ExecutablePath.h"

int main() {
    const std::string self = platform::RunningExecutablePath();
    const char* mark = std::getenv(update::kRestartMarkVariable);
    std::ofstream(platform::FolderOf(self) + "/started.log", std::ios::app)
        << update::RevisionOf(self).value_or(0) << ' ' << (mark ? mark : "-") << '\n';
    return 0;
}
