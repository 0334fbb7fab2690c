#pragma once
#include <chrono>
#include <string>

// The file replacer's work: once the program has ended, put "New_<program>" in place of
// the program (atomically, keeping its permissions) when it is a verified newer program
// of ours, and start the program again either way, telling it how the swap went.
namespace update {

enum class SwapResult { Swapped = 0, Failed = 1, BadArguments = 2 };

// True when some process runs the file at `path` (the same file, not just the same name).
bool SomeProcessRuns(const std::string& path);

// Replaces programFolder/programFile by programFolder/pendingFile (which must be
// "New_" + programFile) after CheckPendingProgram accepted it. Waits until no process
// runs the program, at most `patience`. The pending file is gone afterwards either way
// (as far as the folder lets it go). Once the program has ended it is started again,
// after a swap or a failed one, with the restart mark that keeps the new start from
// handing over again: the user always gets back to the program, and no start loops.
SwapResult SwapAndRestart(const std::string& programFolder, const std::string& programFile,
                          const std::string& pendingFile, std::chrono::milliseconds patience,
                          const std::string& publicKey);

}  // namespace update
