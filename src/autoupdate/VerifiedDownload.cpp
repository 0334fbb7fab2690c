#include "autoupdate/VerifiedDownload.h"

#include "autoupdate/UpdateNames.h"

namespace update {

VerifiedDownload DownloadVerified(const std::string& url, const std::string& destination, Expectation expected,
                                  const UpdateLimits& limits) {
    VerifiedDownload outcome;
    if (!expected.publicKey.empty()) {
        const DownloadResult fetched = FetchSmall(SignatureName(url), kMaxSignatureBytes, limits, outcome.signature);
        if (fetched != DownloadResult::Done) {
            outcome.result = fetched == DownloadResult::NotSetUp ? fetched : DownloadResult::Refused;
            outcome.verdict = Verdict::MissingSignature;
            return outcome;
        }
        expected.signature = outcome.signature;
    }
    outcome.result = DownloadChecked(url, destination, limits, [&](const std::string& temporaryPath) {
        outcome.verdict = CheckExecutable(temporaryPath, expected);
        return outcome.verdict == Verdict::Accepted;
    });
    return outcome;
}

}  // namespace update
