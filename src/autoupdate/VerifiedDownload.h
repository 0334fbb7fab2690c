#pragma once
#include <string>

#include "autoupdate/CheckedDownload.h"
#include "autoupdate/ExecutableCheck.h"

// Downloading a program or tool the way the update mechanism must: its signature first
// (when a key is built in), then the file, which takes the place of the destination only
// after CheckExecutable accepted it.
namespace update {

struct VerifiedDownload {
    DownloadResult result = DownloadResult::Failed;
    Verdict verdict = Verdict::NotAProgram;  // why it was refused (result Refused)
    std::string signature;                   // the signature text that came with it ("" unsigned)
};

// `expected.signature` is filled here from url + ".sig" when `expected.publicKey` is set;
// without one the file is refused unfetched.
VerifiedDownload DownloadVerified(const std::string& url, const std::string& destination, Expectation expected,
                                  const UpdateLimits& limits);

}  // namespace update
