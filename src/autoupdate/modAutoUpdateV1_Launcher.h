#pragma once
#include "autoupdate/UpdateSite.h"

// modAutoUpdateV1_Launcher: at start-up, brings the two update tools up to date, runs the
// version checker and, when it has left a newer program, hands over to the file replacer.

enum class UpdateOutcome {
    Continue,    // go on with the start (no update, or the update could not be checked)
    EndProgram,  // the file replacer (or the folder view) was started: end the program now
};

// Runs the update check for the program at `site`. With skipSelfUpdate false the tools
// are refreshed first, and a failure there skips the check. The caller must end the
// program at once on EndProgram, so that the replacer can put the new file in place.
UpdateOutcome RunAutoUpdate(bool skipSelfUpdate, const UpdateSite& site);

// Downloads the version checker and the file replacer again when the server has a newer
// checker. True when the checker may be run (it is current, or both were downloaded).
bool AutoUpdaterSelfUpdate(const UpdateSite& site);
