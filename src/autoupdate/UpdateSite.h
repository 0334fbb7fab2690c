#pragma once
#include <string>

#include "autoupdate/UpdateLimits.h"

// Where the update mechanism works: the program's folder and file, its revision and the
// download folder. Start-up fills it from the running program; tests fill it with a
// temporary program folder and a local server.
struct UpdateSite {
    std::string programFolder;    // folder of the running executable (no trailing "/" but the root)
    std::string programFileName;  // the running executable's file name, as found in that folder
    std::string ownRevision;      // last component of the program's version, decimal text
    std::string downloadBaseUrl;  // the download folder, ending in "/"
    std::string publicKey = {};   // hex key the update files must be signed with; "" for unsigned updates
    update::UpdateLimits limits = update::kFieldLimits;

    // How this start came about: the file replacer restarts the program after its work,
    // and one start never hands over to it twice in a row.
    enum class Restart { None, AfterSwap, AfterFailedSwap };
    Restart restart = Restart::None;

    // The running executable (/proc/self/exe); the revision from its version block (the
    // build writes the project version there), else from the built-in project version;
    // the built-in download server and update key; the replacer's restart mark, taken out
    // of the environment so that it reaches no program started from here.
    static UpdateSite OfRunningProgram();
};
