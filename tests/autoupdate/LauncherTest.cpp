// RunAutoUpdate and AutoUpdaterSelfUpdate in a temporary program folder, against a real
// local download server, with real checker and replacer processes (small scripts, or
// copies of our tools carrying chosen versions).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "LocalHttpServer.h"
#include "PathEnvironment.h"
#include "UpdateFolders.h"
#include "autoupdate/UpdateMessages.h"
#include "autoupdate/modAutoUpdateV1_Launcher.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WaitForContent;
using testsupport::WriteFile;
using testsupport::WriteScript;

namespace {

const char* const kUnreadable = "UpdProbeV1.exe의 최신버전 정보를 읽어올 수 없습니다!";

// A checker or replacer stand-in: appends its folder, arguments and show command to <log> next to it.
std::string Recorder(const std::string& log, const std::string& more = {}) {
    return "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; echo \"show=$NUTV_SHOW_COMMAND\"; } >> "
           "\"$(dirname \"$0\")/" +
           log + "\"\n" + more;
}

bool IsExecutable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & 0111) == 0111;
}

class Launcher : public ::testing::Test, protected testsupport::UpdateFolders {
protected:
    Launcher() {
        testsupport::CopyWithVersion("/bin/true", App("Prog"), "1.0.0.1");
        server_.emplace(www_);
    }

    UpdateSite Site(const std::string& programFile = "Prog") const {
        return {app_, programFile, "1", server_->DownloadUrl()};
    }
    void LocalChecker(const std::string& version) const {
        testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, App("UpdProbeV1.exe"), version);
    }
    // Both tools on the server, as the build makes them, of that version.
    void ServeTools(const std::string& version) const {
        testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, dl_ + "/UpdProbeV1.exe", version);
        testsupport::CopyWithVersion(NUTV_SWAPKIT_PATH, dl_ + "/swapkit.exe", version);
    }
    // A newer program of ours at `path`, made as "Prog" (what the checker leaves as New_Prog).
    void NewerProgram(const std::string& path) const {
        testsupport::CopyWithVersion("/bin/true", path, "1.0.0.2", "Prog");
    }
    int Downloads(const std::string& name) const { return server_->CountRequests("/" + name); }

    testsupport::ScriptedMsgBox boxes_;
};

}  // namespace

TEST_F(Launcher, CurrentCheckerIsNotDownloadedAgain) {
    LocalChecker("1.0.0.0007");
    Serve("UpdProbeV1_lastver.txt", "7");
    Serve("UpdProbeV1.exe", "newer checker");
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_EQ(Downloads("UpdProbeV1_lastver.txt"), 1);
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
    EXPECT_EQ(Downloads("swapkit.exe"), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, MissingCheckerCountsAsRevisionZeroAndBothToolsAreFetched) {
    Serve("UpdProbeV1_lastver.txt", "1\r\n");
    ServeTools("1.0.0.1");
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_TRUE(ReadFile(App("UpdProbeV1.exe")) == ReadFile(dl_ + "/UpdProbeV1.exe"));
    EXPECT_TRUE(ReadFile(App("swapkit.exe")) == ReadFile(dl_ + "/swapkit.exe"));
    EXPECT_TRUE(IsExecutable(App("UpdProbeV1.exe")));
    EXPECT_TRUE(IsExecutable(App("swapkit.exe")));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, LatestRevisionRoundsHalvesToEven) {
    ServeTools("1.0.0.8");
    LocalChecker("1.0.0.7");
    Serve("UpdProbeV1_lastver.txt", "7.5");  // 8: newer than 7
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 1);

    LocalChecker("1.0.0.6");
    Serve("UpdProbeV1_lastver.txt", "6.5");  // 6: not newer than 6
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 1);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, OnlyTheFirstTwentyBytesOfTheVersionFileCount) {
    ServeTools("1.0.0.12");
    LocalChecker("1.0.0.1");
    Serve("UpdProbeV1_lastver.txt", "0000000000000000000123");  // read as 00000000000000000001
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
    Serve("UpdProbeV1_lastver.txt", "000000000000000000123");  // read as 00000000000000000012
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 1);
}

TEST_F(Launcher, UnreadableLatestVersionShowsTheCriticalMessage) {
    LocalChecker("1.0.0.1");
    const std::vector<std::pair<std::string, UpdateSite>> cases = {
        {"missing file", Site()},
        {"empty file", Site()},
        {"blanks only", Site()},
        {"no server", {app_, "Prog", "1", "http://127.0.0.1:" + std::to_string(testsupport::UnusedPort()) + "/d/"}},
    };
    for (const auto& [what, site] : cases) {
        SCOPED_TRACE(what);
        if (what == "empty file") Serve("UpdProbeV1_lastver.txt", "");
        if (what == "blanks only") Serve("UpdProbeV1_lastver.txt", "    ");
        boxes_.Clear();
        EXPECT_FALSE(AutoUpdaterSelfUpdate(site));
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        EXPECT_EQ(boxes_.Boxes()[0].prompt, kUnreadable);
        EXPECT_EQ(boxes_.Boxes()[0].buttons, 16);
        EXPECT_EQ(boxes_.Boxes()[0].title, "누리Tarn_To_누리Velm");
    }
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
}

TEST_F(Launcher, TextWithoutNumberIsRevisionZero) {
    Serve("UpdProbeV1_lastver.txt", "<html>gone</html>");  // e.g. an error page with a body
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));            // 0 is not newer than the missing checker's 0
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, FailedDownloadSkipsTheCheckSilently) {
    LocalChecker("1.0.0.1");
    const std::string before = ReadFile(App("UpdProbeV1.exe"));
    Serve("UpdProbeV1_lastver.txt", "5");
    EXPECT_FALSE(AutoUpdaterSelfUpdate(Site()));  // the server has no checker
    EXPECT_TRUE(ReadFile(App("UpdProbeV1.exe")) == before);
    testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, dl_ + "/UpdProbeV1.exe", "1.0.0.5");
    EXPECT_FALSE(AutoUpdaterSelfUpdate(Site()));  // the server has no replacer
    EXPECT_FALSE(std::filesystem::exists(App("swapkit.exe")));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, ADownloadSettingRefusedByLibcurlEndsThatDownloadWithAMessage) {
    LocalChecker("1.0.0.1");
    const std::string before = ReadFile(App("UpdProbeV1.exe"));
    Serve("UpdProbeV1_lastver.txt", "5");
    ServeTools("1.0.0.5");
    UpdateSite site = Site();
    site.limits.minBytesPerSecond = -1;  // libcurl takes no negative rate
    EXPECT_FALSE(AutoUpdaterSelfUpdate(site));
    EXPECT_TRUE(ReadFile(App("UpdProbeV1.exe")) == before);
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
    EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{update::NotSetUpMessage("UpdProbeV1.exe")});
}

TEST_F(Launcher, OverflowingRevisionIsReportedAndTheCheckGoesOn) {
    Serve("UpdProbeV1_lastver.txt", "99999999999");
    Serve("UpdProbeV1.exe", "checker");
    EXPECT_TRUE(AutoUpdaterSelfUpdate(Site()));  // latest stays 0 after the error
    EXPECT_EQ(boxes_.Prompts(),
              std::vector<std::string>{"Error 6 (Overflow) in procedure AutoUpdaterSelfUpdate of Module "
                                       "modAutoUpdateV1_Launcher"});
    EXPECT_EQ(boxes_.Boxes()[0].buttons, 0);
    EXPECT_EQ(Downloads("UpdProbeV1.exe"), 0);
}

TEST_F(Launcher, CheckerGetsRevisionAndProgramFileAndIsWaitedFor) {
    WriteScript(App("UpdProbeV1.exe"), "sleep 0.5\n" + Recorder("checker.log"));
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::Continue);
    EXPECT_EQ(ReadFile(App("checker.log")), app_ + "\n[1;Prog]\nshow=5\n");

    WriteFile(App("My Prog"), "program with a blank in its name");
    EXPECT_EQ(RunAutoUpdate(true, Site("My Prog")), UpdateOutcome::Continue);
    EXPECT_EQ(ReadFile(App("checker.log")), app_ + "\n[1;Prog]\nshow=5\n" + app_ + "\n[1;My Prog]\nshow=5\n");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Launcher, CheckerIsNotRunWithoutAVisibleProgramFile) {
    WriteScript(App("UpdProbeV1.exe"), Recorder("checker.log"));
    EXPECT_EQ(RunAutoUpdate(true, Site("Absent")), UpdateOutcome::Continue);
    WriteFile(App(".Hidden"), "hidden program");
    EXPECT_EQ(RunAutoUpdate(true, Site(".Hidden")), UpdateOutcome::Continue);
    std::filesystem::create_directories(App("Folder"));
    EXPECT_EQ(RunAutoUpdate(true, Site("Folder")), UpdateOutcome::Continue);
    EXPECT_FALSE(std::filesystem::exists(App("checker.log")));
}

TEST_F(Launcher, PendingProgramHandsOverToTheReplacerAtEveryStart) {
    WriteScript(App("UpdProbeV1.exe"), Recorder("checker.log"));
    WriteScript(App("swapkit.exe"), Recorder("swapkit.log"));
    NewerProgram(App("New_Prog"));  // left over from an earlier start
    const std::string once = app_ + "\n[Prog;New_Prog]\nshow=2\n";
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::EndProgram);
    EXPECT_EQ(WaitForContent(App("swapkit.log"), once), once);
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::EndProgram);
    EXPECT_EQ(WaitForContent(App("swapkit.log"), once + once), once + once);
    EXPECT_EQ(ReadFile(App("checker.log")), app_ + "\n[1;Prog]\nshow=5\n" + app_ + "\n[1;Prog]\nshow=5\n");
    EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>(2, update::HandOverMessage()));
}

TEST_F(Launcher, StartAfterAFailedReplacementSaysSoAndHandsOverNoSecondTime) {
    WriteScript(App("UpdProbeV1.exe"), Recorder("checker.log"));
    NewerProgram(App("New_Prog"));
    UpdateSite site = Site();
    site.restart = UpdateSite::Restart::AfterFailedSwap;
    EXPECT_EQ(RunAutoUpdate(true, site), UpdateOutcome::Continue);
    EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{update::SwapFailedMessage()});
    EXPECT_FALSE(std::filesystem::exists(App("checker.log")));
}

TEST_F(Launcher, MissingReplacerShowsTheFolderAndEndsTheProgram) {
    std::filesystem::create_directories(dir_ / "bin");
    testsupport::FakeXdgOpen opener(dir_ / "bin");
    NewerProgram(App("Newer"));
    WriteScript(App("UpdProbeV1.exe"), "cp \"$(dirname \"$0\")/Newer\" \"$(dirname \"$0\")/New_Prog\"\n");
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::EndProgram);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].prompt, "파일교체 프로그램을 찾을 수 없습니다.\r\n\r\n" + app_ + "/swapkit.exe");
    EXPECT_EQ(boxes_.Boxes()[0].buttons, 0);
    EXPECT_EQ(boxes_.Boxes()[0].title, "누리Tarn_To_누리Velm");
    EXPECT_EQ(WaitForContent(opener.Log(), app_ + "\n"), app_ + "\n");

    // A folder of that name is no replacer either.
    std::filesystem::create_directories(App("swapkit.exe"));
    boxes_.Clear();
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::EndProgram);
    EXPECT_EQ(boxes_.Prompts().size(), 1u);
}

TEST_F(Launcher, ReplacerThatCannotStartIsReportedAndTheProgramStillEnds) {
    NewerProgram(App("New_Prog"));
    WriteFile(App("swapkit.exe"), "not a program");  // no execute permission
    EXPECT_EQ(RunAutoUpdate(true, Site()), UpdateOutcome::EndProgram);
    EXPECT_EQ(boxes_.Prompts(),
              (std::vector<std::string>{update::HandOverMessage(),
                                        "Error 53 (File not found) in procedure RunAutoUpdate of Module "
                                        "modAutoUpdateV1_Launcher"}));
}

TEST_F(Launcher, FailedSelfUpdateSkipsTheCheck) {
    WriteScript(App("UpdProbeV1.exe"), Recorder("checker.log"));
    EXPECT_EQ(RunAutoUpdate(false, Site()), UpdateOutcome::Continue);  // no version file on the server
    EXPECT_EQ(boxes_.Prompts(), std::vector<std::string>{kUnreadable});
    EXPECT_FALSE(std::filesystem::exists(App("checker.log")));
}

TEST_F(Launcher, ScriptsServedAsToolsAreRefusedAndTheToolsInPlaceStay) {
    // Two shell scripts in place of the tools: no executable of ours, so neither replaces
    // anything, the user is told, and this start skips the check.
    LocalChecker("1.0.0.1");
    const std::string before = ReadFile(App("UpdProbeV1.exe"));
    Serve("UpdProbeV1_lastver.txt", "3");
    Serve("UpdProbeV1.exe", "#!/bin/sh\n" + Recorder("checker.log", "echo new > \"$(dirname \"$0\")/New_Prog\"\n"));
    Serve("swapkit.exe", "#!/bin/sh\n" + Recorder("swapkit.log"));
    EXPECT_EQ(RunAutoUpdate(false, Site()), UpdateOutcome::Continue);
    EXPECT_TRUE(ReadFile(App("UpdProbeV1.exe")) == before);
    EXPECT_FALSE(std::filesystem::exists(App("swapkit.exe")));
    EXPECT_FALSE(std::filesystem::exists(App("checker.log")));
    EXPECT_EQ(boxes_.Prompts(),
              std::vector<std::string>{update::RefusedMessage("UpdProbeV1.exe", update::Verdict::NotAProgram)});
}
