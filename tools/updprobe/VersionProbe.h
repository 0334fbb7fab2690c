#pragma once
#include <string>

#include "autoupdate/UpdateLimits.h"

// The version checker's work: when the download folder has a newer revision of the
// program, fetch it as "New_" + program file name into the program folder, once it is
// verified as the announced revision of the program (and signed, when a key is set).
namespace update {

// The checker's exit codes; a refused download exits with ProbeExitCode(verdict) (5 and up),
// one that could not be set up with ProbeNotSetUpExitCode().
enum ProbeResult { kProbeDone = 0, kProbeBadArguments = 2, kProbeNoVersionInfo = 3, kProbeDownloadFailed = 4 };

struct ProbeSite {
    std::string programFolder;
    std::string downloadBaseUrl;
    std::string publicKey;  // "" for unsigned updates
    UpdateLimits limits = kFieldLimits;
};

// ownRevision: the program's revision (decimal text); programFile: its file name.
// The latest revision comes from "<program name>_lastver.txt", the program name being
// the file name up to its last "." (the whole name when it has none). With a key, the
// signature "<program file>.sig" is left beside the new file as "New_<program file>.sig".
int ProbeForNewProgram(const std::string& ownRevision, const std::string& programFile, const ProbeSite& site);

}  // namespace update
