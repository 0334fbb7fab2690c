#include "autoupdate/UpdateSite.h"

#include <cstdlib>

#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateNames.h"
#include "autoupdate/UpdateSignature.h"
#include "common/BuiltInValues.h"
#include "fileutil/modFile.h"
#include "platform/ExecutablePath.h"

namespace {
UpdateSite::Restart TakeRestartMark() {
    const char* mark = std::getenv(update::kRestartMarkVariable);
    const std::string text = mark ? mark : "";
    ::unsetenv(update::kRestartMarkVariable);
    if (text == update::kRestartAfterSwap) return UpdateSite::Restart::AfterSwap;
    if (text == update::kRestartAfterFailedSwap) return UpdateSite::Restart::AfterFailedSwap;
    return UpdateSite::Restart::None;
}
}  // namespace

UpdateSite UpdateSite::OfRunningProgram() {
    UpdateSite site;
    const std::string executable = platform::RunningExecutablePath();
    site.programFolder = platform::FolderOf(executable);
    site.programFileName = platform::FileNameOf(executable);
    site.ownRevision = update::RevisionText(GetFileVerNumber(executable, true, true).value_or(""));
    if (site.ownRevision.empty()) site.ownRevision = update::RevisionText(builtin::kProgramVersion);
    site.downloadBaseUrl = update::DownloadBaseUrl();
    site.publicKey = update::BuiltInPublicKey();
    site.restart = TakeRestartMark();
    return site;
}
