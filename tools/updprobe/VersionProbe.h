#pragma once
#include <string>

// The version checker's work: when the download folder has a newer revision of the
// program, fetch it as "New_" + program file name into the program folder.
namespace update {

enum class ProbeResult { Current = 0, Downloaded = 0, BadArguments = 2, NoVersionInfo = 3, DownloadFailed = 4 };

// ownRevision: the program's revision (decimal text); programFile: its file name.
// The latest revision comes from "<program name>_lastver.txt", the program name being
// the file name up to its last "." (the whole name when it has none).
ProbeResult ProbeForNewProgram(const std::string& ownRevision, const std::string& programFile,
                               const std::string& programFolder, const std::string& downloadBaseUrl);

}  // namespace update
