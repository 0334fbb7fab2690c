#include "autoupdate/modAutoUpdateV1_Launcher.h"

#include <unistd.h>

#include "autoupdate/CheckedDownload.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/PendingProgram.h"
#include "autoupdate/UpdateMessages.h"
#include "autoupdate/UpdateNames.h"
#include "autoupdate/VerifiedDownload.h"
#include "autoupdate/modAutoUpdateV1_Download.h"
#include "autoupdate/modWaitProc.h"
#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/TrimBlanks.h"
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

// Downloads a tool over the one in place once it is verified (an executable of ours under
// the tool's name, of a revision above `newerThan`, signed when a key is set) and makes it
// executable. A refused download is reported: the tool in place stays.
bool DownloadTool(const UpdateSite& site, const std::string& name, std::int64_t newerThan) {
    const std::string path = update::InFolder(site.programFolder, name);
    update::Expectation expected;
    expected.fileName = name;
    expected.newerThan = newerThan;
    expected.publicKey = site.publicKey;
    const auto outcome = update::DownloadVerified(site.downloadBaseUrl + name, path, expected, site.limits);
    if (outcome.result == update::DownloadResult::Refused) MsgBox(update::RefusedMessage(name, outcome.verdict));
    if (outcome.result == update::DownloadResult::NotSetUp) MsgBox(update::NotSetUpMessage(name));
    return outcome.result == update::DownloadResult::Done && platform::MakeExecutable(path);
}

// A revision text as a whole number for the comparison with a downloaded file's revision.
std::int64_t WholeRevision(double revision) {
    return revision < 0 ? -1 : revision >= 1e9 ? 1'000'000'000 : static_cast<std::int64_t>(revision);
}

// Runs the version checker and waits for it at most the site's limit. Past it the checker
// is stopped and its half-done download removed. Nothing when it could not be started.
struct CheckerRun {
    bool started = false;
    std::optional<int> exitCode;  // nothing: stopped at the time limit
};
CheckerRun RunChecker(const UpdateSite& site, const std::string& checkerPath, const std::string& parameters) {
    platform::SpawnOptions options;
    options.workingFolder = site.programFolder;
    options.extraEnvironment = {ShowCommandEntry(ShowCommand(false, false))};
    std::vector<std::string> argv{checkerPath};
    for (auto& word : platform::SplitCommandLine(parameters)) argv.push_back(std::move(word));
    auto child = platform::ChildProcess::Start(argv, options);
    if (!child) return {};
    CheckerRun run{true, child->WaitAtMost(site.limits.checkerWait)};
    if (!run.exitCode) {
        child->Kill();
        update::RemoveStaleDownloads(site.programFolder);
    }
    return run;
}

// The start that follows the file replacer's work hands over no second time: it says how
// the replacement went when there is something to say, and goes on to the sign-in.
void ReportRestart(const UpdateSite& site) {
    if (site.restart == UpdateSite::Restart::AfterFailedSwap) {
        MsgBox(update::SwapFailedMessage());
        return;
    }
    const auto announced =
        update::AnnouncedRevision(OpenUrl(site.downloadBaseUrl + update::LatestFileOf(site.programFileName)));
    if (announced && vbnum::Val(site.ownRevision) < static_cast<double>(*announced))
        MsgBox(update::StillBehindMessage(site.ownRevision, *announced));
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
            currentText = update::RevisionText(GetFileVerNumber(toolPath, true, true).value_or(""));
        } else {
            currentText = "0";
        }
    });

    std::string versionFile;
    trap.Run([&] { versionFile = toolName.substr(0, toolName.rfind('.')) + update::kLatestSuffix; });
    std::string latestText;
    trap.Run([&] { latestText = OpenUrl(site.downloadBaseUrl + versionFile); });
    if (TrimmedView(latestText).empty()) {
        MsgBox(toolName + "의 최신버전 정보를 읽어올 수 없습니다!", mb::kCritical);
        return result;
    }

    std::int32_t latest = 0;
    double current = 0;
    trap.Run([&] { latest = vbnum::CLng(vbnum::Val(latestText)); });
    trap.Run([&] { current = vbnum::Val(currentText); });
    if (!(current < latest)) return true;

    // Only the checker's revision is compared; the replacer comes along with it.
    // A downloaded checker must be newer than the one in place; the replacer no older than
    // its own (the maker may have left it as it was).
    bool downloaded = false;
    trap.Run([&] { downloaded = DownloadTool(site, toolName, WholeRevision(current)); });
    if (!downloaded) return result;
    toolName = update::kSwapName;
    downloaded = false;
    trap.Run([&] {
        const auto inPlace = update::RevisionOf(update::InFolder(site.programFolder, toolName));
        downloaded = DownloadTool(site, toolName, inPlace ? *inPlace - 1 : -1);
    });
    if (!downloaded) return result;
    result = true;
    return result;
}

UpdateOutcome RunAutoUpdate(bool skipSelfUpdate, const UpdateSite& site) {
    ErrorTrap trap = TrapFor("RunAutoUpdate");
    // What a download killed with an earlier start left behind.
    trap.Run([&] { update::RemoveStaleDownloads(site.programFolder); });
    if (!skipSelfUpdate) {
        bool mayCheck = true;
        trap.Run([&] { mayCheck = AutoUpdaterSelfUpdate(site); });
        if (!mayCheck) return UpdateOutcome::Continue;
    }
    if (site.restart != UpdateSite::Restart::None) {
        trap.Run([&] { ReportRestart(site); });
        return UpdateOutcome::Continue;
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

    CheckerRun checker;
    trap.Run([&] {
        // One argument for the checker, even when the program's name holds a space.
        const std::string parameters = platform::QuoteArgument(site.ownRevision + ";" + programFile);
        checker = RunChecker(site, checkerPath, parameters);
    });
    if (checker.started && !checker.exitCode) {
        MsgBox(update::CheckerTooSlowMessage());
        return UpdateOutcome::Continue;
    }
    if (checker.exitCode) {
        if (const auto refused = update::VerdictOfProbeExit(*checker.exitCode)) {
            MsgBox(update::RefusedMessage(programFile, *refused));
            return UpdateOutcome::Continue;
        }
        if (*checker.exitCode == update::ProbeNotSetUpExitCode()) {
            MsgBox(update::NotSetUpMessage(programFile));
            return UpdateOutcome::Continue;
        }
    }

    const std::string pendingName = update::kPendingPrefix + programFile;
    bool pending = false;
    trap.Run([&] { pending = platform::VisibleFileExists(update::InFolder(site.programFolder, pendingName)); });
    if (!pending) return UpdateOutcome::Continue;

    // Only a verified program is handed over, and only when the replacer can do its work:
    // otherwise every start would end without reaching the sign-in.
    update::Verdict verdict = update::Verdict::NotAProgram;
    trap.Run([&] { verdict = update::CheckPendingProgram(site.programFolder, programFile, site.publicKey); });
    if (verdict != update::Verdict::Accepted) {
        update::RemovePendingProgram(site.programFolder, programFile);
        MsgBox(update::RefusedMessage(pendingName, verdict));
        return UpdateOutcome::Continue;
    }
    if (::access(site.programFolder.c_str(), W_OK) != 0) {
        MsgBox(update::FolderNotWritableMessage(site.programFolder));
        return UpdateOutcome::Continue;
    }

    const std::string replacerPath = update::InFolder(site.programFolder, update::kSwapName);
    if (!platform::VisibleFileExists(replacerPath)) {
        MsgBox(std::string("파일교체 프로그램을 찾을 수 없습니다.") + "\r\n\r\n" + replacerPath, mb::kOkOnly);
        // Show the user the folder, so the missing tool can be put there.
        trap.Run([&] { StartDetached({"xdg-open", site.programFolder}, site.programFolder, 1); });
        return UpdateOutcome::EndProgram;
    }
    // Said before the replacer starts: it waits for this program to end.
    MsgBox(update::HandOverMessage());
    // The replacer starts minimized with the focus (show command 2) and is not waited for.
    trap.Run([&] { StartDetached({replacerPath, programFile + ";" + pendingName}, site.programFolder, 2); });
    return UpdateOutcome::EndProgram;
}
