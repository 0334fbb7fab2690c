#include "autoupdate/UpdateSite.h"

#include "autoupdate/DownloadUrl.h"
#include "common/BuiltInValues.h"
#include "fileutil/modFile.h"
#include "platform/ExecutablePath.h"

namespace {
std::string LastComponent(const std::string& version) {
    const auto dot = version.rfind('.');
    return dot == std::string::npos ? version : version.substr(dot + 1);
}
}  // namespace

UpdateSite UpdateSite::OfRunningProgram() {
    UpdateSite site;
    const std::string executable = platform::RunningExecutablePath();
    site.programFolder = platform::FolderOf(executable);
    site.programFileName = platform::FileNameOf(executable);
    site.ownRevision = LastComponent(GetFileVerNumber(executable, true, true).value_or(""));
    if (site.ownRevision.empty()) site.ownRevision = LastComponent(builtin::kProgramVersion);
    site.downloadBaseUrl = update::DownloadBaseUrl();
    return site;
}
