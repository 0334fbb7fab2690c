// One real update from start to end, in a temporary program folder, with the built tools
// and a local download server at the built-in download address: the program refreshes an
// older checker, the checker finds a newer program and leaves "New_…", the program hands
// over to the replacer and ends, the replacer swaps the file and restarts it. Plus the
// two ways it stops short: an unreadable version file, and a missing replacer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "LocalHttpServer.h"
#include "PathEnvironment.h"
#include "autoupdate/UpdateMessages.h"
#include "common/BuiltInValues.h"
#include "fileutil/modFile.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

constexpr const char* kProgram = "NuriConv";

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        port_ = testsupport::BuiltInLocalDownloadPort();
        if (!port_) GTEST_SKIP() << "the built-in download server is not a local address: " << builtin::kDownloadServer;
        std::filesystem::create_directories(app_);
        testsupport::CopyWithVersion(NUTV_TEST_PROGRAM_PATH, App(kProgram), "1.0.0.1");
    }

    std::string App(const std::string& name) const { return app_ + "/" + name; }
    std::string Served(const std::string& name) const { return dl_ + "/" + name; }

    testsupport::TempDir dir_;
    std::string app_ = dir_ / "app";
    std::string www_ = dir_ / "www";
    std::string dl_ = testsupport::DownloadFolderUnder(www_);
    std::optional<int> port_;
};

}  // namespace

TEST_F(EndToEnd, OlderCheckerRefreshedNewerProgramSwappedAndRestarted) {
    testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, App("UpdProbeV1.exe"), "1.0.0.1");
    std::filesystem::copy_file(NUTV_SWAPKIT_PATH, App("swapkit.exe"));
    WriteFile(Served("UpdProbeV1_lastver.txt"), "2\n");
    testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, Served("UpdProbeV1.exe"), "1.0.0.2");
    std::filesystem::copy_file(NUTV_SWAPKIT_PATH, Served("swapkit.exe"));
    WriteFile(Served(std::string(kProgram) + "_lastver.txt"), "2\n");
    testsupport::CopyWithVersion(NUTV_TEST_PROGRAM_PATH, Served(kProgram), "1.0.0.2");
    ::chmod(Served(kProgram).c_str(), 0644);  // the served file's mode does not travel
    ::chmod(App(kProgram).c_str(), 0750);
    testsupport::LocalHttpServer server(www_, *port_);

    EXPECT_EQ(testsupport::RunProgram({App(kProgram)}, app_), 0);
    // The old program ended right after handing over; the restarted one reports revision 2.
    const std::string bothRuns = "revision 1 end\nrevision 2 continue\n";
    EXPECT_EQ(testsupport::WaitForContent(App("runs.txt"), bothRuns), bothRuns);
    EXPECT_EQ(ReadFile(App("messages.txt")), "0|누리Tarn_To_누리Velm|" + update::HandOverMessage() + "\n");

    EXPECT_EQ(GetFileVerNumber(App(kProgram), true, true), "1.0.0.2");
    EXPECT_EQ(GetFileVerNumber(App("UpdProbeV1.exe"), true, true), "1.0.0.2");
    EXPECT_TRUE(ReadFile(App(kProgram)) == ReadFile(Served(kProgram)));
    EXPECT_FALSE(std::filesystem::exists(App(std::string("New_") + kProgram)));
    struct stat info {};
    ASSERT_EQ(::stat(App(kProgram).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0750u);  // the replaced program keeps its mode

    // Each start asked for the checker's latest revision; the first ran the checker, the
    // restarted one only asked whether it is now the latest program.
    EXPECT_EQ(server.CountRequests("/UpdProbeV1_lastver.txt"), 2);
    EXPECT_EQ(server.CountRequests("/UpdProbeV1.exe"), 1);
    EXPECT_EQ(server.CountRequests("/swapkit.exe"), 1);
    EXPECT_EQ(server.CountRequests(std::string("/") + kProgram + "_lastver.txt"), 2);
    EXPECT_EQ(server.CountRequests(std::string("/") + kProgram), 1);
}

TEST_F(EndToEnd, UnreadableVersionFileShowsTheCriticalMessageAndStartGoesOn) {
    // No server at all at the download address.
    EXPECT_EQ(testsupport::RunProgram({App(kProgram)}, app_), 0);
    EXPECT_EQ(ReadFile(App("runs.txt")), "revision 1 continue\n");
    EXPECT_EQ(ReadFile(App("messages.txt")),
              "16|누리Tarn_To_누리Velm|UpdProbeV1.exe의 최신버전 정보를 읽어올 수 없습니다!\n");
}

TEST_F(EndToEnd, MissingReplacerLeavesTheNewProgramAndShowsTheFolder) {
    std::filesystem::create_directories(dir_ / "bin");
    testsupport::FakeXdgOpen opener(dir_ / "bin");  // the program inherits our PATH
    testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, App("UpdProbeV1.exe"), "1.0.0.2");
    WriteFile(Served("UpdProbeV1_lastver.txt"), "2");
    WriteFile(Served(std::string(kProgram) + "_lastver.txt"), "2");
    testsupport::CopyWithVersion(NUTV_TEST_PROGRAM_PATH, Served(kProgram), "1.0.0.2");
    testsupport::LocalHttpServer server(www_, *port_);

    EXPECT_EQ(testsupport::RunProgram({App(kProgram)}, app_), 0);
    EXPECT_EQ(ReadFile(App("runs.txt")), "revision 1 end\n");
    EXPECT_EQ(ReadFile(App("messages.txt")),
              "0|누리Tarn_To_누리Velm|파일교체 프로그램을 찾을 수 없습니다.\\r\\n\\r\\n" + app_ + "/swapkit.exe\n");
    EXPECT_TRUE(ReadFile(App(std::string("New_") + kProgram)) == ReadFile(Served(kProgram)));
    EXPECT_EQ(GetFileVerNumber(App(kProgram), true, true), "1.0.0.1");
    EXPECT_EQ(testsupport::WaitForContent(opener.Log(), app_ + "\n"), app_ + "\n");
}
