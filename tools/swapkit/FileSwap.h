#pragma once
#include <chrono>
#include <string>

// The file replacer's work: once the program has ended, put "New_<program>" in place of
// the program (atomically, keeping its permissions) and start it again.
namespace update {

enum class SwapResult { Swapped = 0, Failed = 1, BadArguments = 2 };

// True when some process runs the file at `path` (the same file, not just the same name).
bool SomeProcessRuns(const std::string& path);

// Replaces programFolder/programFile by programFolder/pendingFile (which must be
// "New_" + programFile). Waits until no process runs the program, at most `patience`.
// The pending file is gone afterwards either way; the program is started again only
// after a successful swap, so a failing swap cannot loop.
SwapResult SwapAndRestart(const std::string& programFolder, const std::string& programFile,
                          const std::string& pendingFile, std::chrono::milliseconds patience);

}  // namespace update
