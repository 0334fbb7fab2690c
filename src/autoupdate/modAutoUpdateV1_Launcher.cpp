#include "autoupdate/modAutoUpdateV1_Launcher.h"

#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateNames.h"
#include "autoupdate/modAutoUpdateV1_Download.h"
#include "autoupdate/modWaitProc.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbNumbers.h"
#include "fileutil/modFile.h"
#include "platform/CommandLine.h"
#include "platform/FileTests.h"
#include "platform/Process.h"

namespace {

constexpr const char* kModule = "modAutoUpdateV1_Launcher";

ErrorTrap TrapFor(const char* procedure) {
    return ErrorTrap(
        [procedure](const VbError& error) { MsgBox(ErrorReportText(error, procedure, ReportOwner::Module, kModule)); });
}

std::string TrimSpaces(const std::string& text) {
    const auto begin = text.find_first_not_of(' ');
    if (begin == std::string::npos) return {};
    return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// Starts a program that outlives us (we are about to end), the way a command line is
// started: failing to start is an error, as "File not found" (53).
void StartDetached(const std::vector<std::string>& argv, const std::string& folder, int showCommand) {
    platform::SpawnOptions options;
    options.workingFolder = folder;
    options.newSession = true;
    options.extraEnvironment = {ShowCommandEntry(showCommand)};
    auto child = platform::ChildProcess::Start(argv, options);
    if (!child) throw VbError(53, "runtime", "File not found");
    child->Release();
}

// A downloaded tool must be executable to be started here.
bool DownloadTool(const UpdateSite& site, const std::string& name) {
    const std::string path = update::InFolder(site.programFolder, name);
    return DownloadFile(site.downloadBaseUrl + name, path) && platform::MakeExecutable(path);
}

}  // namespace

bool AutoUpdaterSelfUpdate(const UpdateSite& site) {
    ErrorTrap trap = TrapFor("AutoUpdaterSelfUpdate");
    bool result = false;
    std::string toolName = update::kProbeName;
    std::string toolPath;
    trap.Run([&] { toolPath = update::InFolder(site.programFolder, toolName); });

    std::string currentText;
    trap.Run([&] {
        if (platform::VisibleFileExists(toolPath)) {
            const std::string version = GetFileVerNumber(toolPath, true, true).value_or("");
            const auto dot = version.rfind('.');
            currentText = dot == std::string::npos ? version : version.substr(dot + 1);
        } else {
            currentText = "0";
        }
    });

    std::string versionFile;
    trap.Run([&] { versionFile = toolName.substr(0, toolName.rfind('.')) + update::kLatestSuffix; });
    std::string latestText;
    trap.Run([&] { latestText = OpenUrl(site.downloadBaseUrl + versionFile); });
    if (TrimSpaces(latestText).empty()) {
        MsgBox(toolName + "의 최신버전 정보를 읽어올 수 없습니다!", mb::kCritical);
        return result;
    }

    std::int32_t latest = 0;
    double current = 0;
    trap.Run([&] { latest = vbnum::CLng(vbnum::Val(latestText)); });
    trap.Run([&] { current = vbnum::Val(currentText); });
    if (!(current < latest)) return true;

    // Only the checker's revision is compared; the replacer comes along with it.
    bool downloaded = false;
    trap.Run([&] { downloaded = DownloadTool(site, toolName); });
    if (!downloaded) return result;
    toolName = update::kSwapName;
    downloaded = false;
    trap.Run([&] { downloaded = DownloadTool(site, toolName); });
    if (!downloaded) return result;
    result = true;
    return result;
}

UpdateOutcome RunAutoUpdate(bool skipSelfUpdate, const UpdateSite& site) {
    ErrorTrap trap = TrapFor("RunAutoUpdate");
    if (!skipSelfUpdate) {
        bool mayCheck = true;
        trap.Run([&] { mayCheck = AutoUpdaterSelfUpdate(site); });
        if (!mayCheck) return UpdateOutcome::Continue;
    }

    std::string checkerPath, programFile;
    bool programFound = false;
    trap.Run([&] {
        checkerPath = update::InFolder(site.programFolder, update::kProbeName);
        programFile = site.programFileName;
        programFound =
            !programFile.empty() && platform::VisibleFileExists(update::InFolder(site.programFolder, programFile));
    });
    if (!programFound) return UpdateOutcome::Continue;

    trap.Run([&] {
        // One argument for the checker, even when the program's name holds a space.
        const std::string parameters = platform::QuoteArgument(site.ownRevision + ";" + programFile);
        ShellAndWait(checkerPath, 0, parameters, site.programFolder, false, false);
    });

    const std::string pendingName = update::kPendingPrefix + programFile;
    bool pending = false;
    trap.Run([&] { pending = platform::VisibleFileExists(update::InFolder(site.programFolder, pendingName)); });
    if (!pending) return UpdateOutcome::Continue;

    const std::string replacerPath = update::InFolder(site.programFolder, update::kSwapName);
    if (!platform::VisibleFileExists(replacerPath)) {
        MsgBox(std::string("파일교체 프로그램을 찾을 수 없습니다.") + "\r\n\r\n" + replacerPath, mb::kOkOnly);
        // Show the user the folder, so the missing tool can be put there.
        trap.Run([&] { StartDetached({"xdg-open", site.programFolder}, site.programFolder, 1); });
        return UpdateOutcome::EndProgram;
    }
    // The replacer starts minimized with the focus (show command 2) and is not waited for.
    trap.Run([&] { StartDetached({replacerPath, programFile + ";" + pendingName}, site.programFolder, 2); });
    return UpdateOutcome::EndProgram;
}
