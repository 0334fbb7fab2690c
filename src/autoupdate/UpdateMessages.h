#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "autoupdate/ExecutableCheck.h"

// What the start-up tells the user when an update does not go as planned. In each case
// the program goes on with the files it has.
namespace update {

// A downloaded program or tool was refused and not installed.
std::string RefusedMessage(const std::string& fileName, Verdict verdict);

// A program or tool was not downloaded: the download could not be set up with the rules
// every update download keeps (HTTP and HTTPS only, its time and size limits).
std::string NotSetUpMessage(const std::string& fileName);

// The version checker took longer than the start-up waits for it.
std::string CheckerTooSlowMessage();

// A start that follows a replacement still finds itself behind the announced revision.
std::string StillBehindMessage(const std::string& ownRevision, std::int64_t announced);

// The file replacer could not put the new program in place.
std::string SwapFailedMessage();

// A new program is ready: the program ends so that the file replacer can put it in place.
std::string HandOverMessage();

// A new program is ready, but the program folder cannot be written.
std::string FolderNotWritableMessage(const std::string& folder);

// The version checker's exit codes for a refused program: 5 + the verdict's place after
// Accepted, so the start-up can say why.
int ProbeExitCode(Verdict verdict);
std::optional<Verdict> VerdictOfProbeExit(int exitCode);
// The version checker's exit code when its download could not be set up (after the above).
int ProbeNotSetUpExitCode();

}  // namespace update
