#pragma once
#include <string>

#include "autoupdate/ExecutableCheck.h"

// "New_<program>", the newer program the version checker leaves in the program folder,
// with its signature "New_<program>.sig" when updates are signed.
namespace update {

// Whether the pending program may take the program's place: a whole executable of ours
// for this machine, made as the program file, newer than the program in place, and
// signed when a key is set. Run by the start-up before it hands over, and by the file
// replacer before it swaps.
Verdict CheckPendingProgram(const std::string& programFolder, const std::string& programFile,
                            const std::string& publicKey);

// Removes the pending program and its signature.
void RemovePendingProgram(const std::string& programFolder, const std::string& programFile);

}  // namespace update
