#include "updprobe/VersionProbe.h"

#include "ToolArguments.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateNames.h"
#include "autoupdate/modAutoUpdateV1_Download.h"
#include "common/VbNumbers.h"
#include "platform/FileTests.h"

namespace update {

ProbeResult ProbeForNewProgram(const std::string& ownRevision, const std::string& programFile,
                               const std::string& programFolder, const std::string& downloadBaseUrl) {
    if (!IsPlainFileName(programFile)) return ProbeResult::BadArguments;
    const auto dot = programFile.rfind('.');
    const std::string programName = dot == std::string::npos || dot == 0 ? programFile : programFile.substr(0, dot);
    const std::string latestText = OpenUrl(downloadBaseUrl + programName + kLatestSuffix);
    if (latestText.find_first_not_of(" \t\r\n") == std::string::npos) return ProbeResult::NoVersionInfo;
    if (!(vbnum::Val(ownRevision) < vbnum::Val(latestText))) return ProbeResult::Current;

    const std::string pending = InFolder(programFolder, kPendingPrefix + programFile);
    if (!DownloadFile(downloadBaseUrl + programFile, pending) || !platform::MakeExecutable(pending))
        return ProbeResult::DownloadFailed;
    return ProbeResult::Downloaded;
}

}  // namespace update
