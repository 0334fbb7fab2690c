#include "updprobe/VersionProbe.h"

#include <fstream>

#include "ToolArguments.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateMessages.h"
#include "autoupdate/UpdateNames.h"
#include "autoupdate/VerifiedDownload.h"
#include "autoupdate/modAutoUpdateV1_Download.h"
#include "common/VbNumbers.h"
#include "platform/FileTests.h"

namespace update {

int ProbeForNewProgram(const std::string& ownRevision, const std::string& programFile, const ProbeSite& site) {
    if (!IsPlainFileName(programFile)) return kProbeBadArguments;
    const std::string latestText = OpenUrl(site.downloadBaseUrl + LatestFileOf(programFile));
    // Blank, or a number no revision can be (10 kB of digits, an error page's number).
    const auto announced = AnnouncedRevision(latestText);
    if (latestText.find_first_not_of(" \t\r\n") == std::string::npos || !announced) return kProbeNoVersionInfo;
    if (!(vbnum::Val(ownRevision) < static_cast<double>(*announced))) return kProbeDone;

    // Only the announced revision of this program is left for the start-up to hand over.
    Expectation expected;
    expected.fileName = programFile;
    expected.revision = *announced;
    expected.publicKey = site.publicKey;
    const std::string pending = InFolder(site.programFolder, kPendingPrefix + programFile);
    const auto outcome = DownloadVerified(site.downloadBaseUrl + programFile, pending, expected, site.limits);
    if (outcome.result == DownloadResult::Refused) return ProbeExitCode(outcome.verdict);
    if (outcome.result == DownloadResult::NotSetUp) return ProbeNotSetUpExitCode();
    if (outcome.result != DownloadResult::Done || !platform::MakeExecutable(pending)) return kProbeDownloadFailed;
    if (!site.publicKey.empty()) {
        std::ofstream signature(SignatureName(pending), std::ios::binary | std::ios::trunc);
        signature << outcome.signature;
        if (!signature.flush()) return kProbeDownloadFailed;
    }
    return kProbeDone;
}

}  // namespace update
