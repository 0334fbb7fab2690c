// The file replacer as a process: swaps only a real new file, only after the program has
// ended, keeps the program's mode, restarts it only after a successful swap, and never
// leaves the "New_" file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteFile;
using testsupport::WriteScript;

namespace {

class SwapKit : public ::testing::Test {
protected:
    SwapKit() {
        std::filesystem::create_directories(app_);
        std::filesystem::copy_file(NUTV_SWAPKIT_PATH, App("swapkit.exe"));
    }
    std::string App(const std::string& name) const { return app_ + "/" + name; }
    int Swap(const std::string& argument) const { return testsupport::RunProgram({App("swapkit.exe"), argument}, "/"); }

    // A program that notes each start in started.log.
    void Program(const std::string& path, const std::string& edition) const {
        WriteScript(path, "echo " + edition + " >> \"$(dirname \"$0\")/started.log\"\n");
    }
    std::string Started(std::chrono::milliseconds wait) const {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (!std::filesystem::exists(App("started.log")) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return ReadFile(App("started.log"));
    }

    testsupport::TempDir dir_;
    std::string app_ = dir_ / "app";
};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

}  // namespace

TEST_F(SwapKit, ReplacesTheProgramKeepsItsModeAndStartsIt) {
    Program(App("Prog"), "old");
    ::chmod(App("Prog").c_str(), 0750);
    Program(App("New_Prog"), "new");
    ::chmod(App("New_Prog").c_str(), 0644);
    const std::string fresh = ReadFile(App("New_Prog"));
    EXPECT_EQ(Swap("Prog;New_Prog"), 0);
    EXPECT_EQ(ReadFile(App("Prog")), fresh);
    EXPECT_EQ(ModeOf(App("Prog")), 0750u);
    EXPECT_FALSE(std::filesystem::exists(App("New_Prog")));
    EXPECT_EQ(Started(std::chrono::seconds(15)), "new\n");
}

TEST_F(SwapKit, FailedSwapRemovesTheNewFileAndDoesNotRestart) {
    Program(App("Prog"), "old");
    const std::string before = ReadFile(App("Prog"));
    WriteFile(App("New_Prog"), "");  // an empty download is no program
    EXPECT_EQ(Swap("Prog;New_Prog"), 1);
    EXPECT_EQ(ReadFile(App("Prog")), before);
    EXPECT_FALSE(std::filesystem::exists(App("New_Prog")));
    EXPECT_EQ(Swap("Prog;New_Prog"), 1);  // nothing pending
    EXPECT_EQ(Started(std::chrono::milliseconds(500)), "");
}

TEST_F(SwapKit, BadArgumentsTouchNothing) {
    Program(App("Prog"), "old");
    Program(App("New_Prog"), "new");
    EXPECT_EQ(Swap("Prog;Other"), 2);
    EXPECT_EQ(Swap("../Prog;New_../Prog"), 2);
    EXPECT_EQ(Swap("Prog"), 2);
    EXPECT_EQ(testsupport::RunProgram({App("swapkit.exe")}), 2);
    EXPECT_TRUE(std::filesystem::exists(App("New_Prog")));
    EXPECT_EQ(Started(std::chrono::milliseconds(300)), "");
}

TEST_F(SwapKit, WaitsUntilTheRunningProgramHasEnded) {
    // The program: a copy of sleep, running for a while from the program folder.
    std::filesystem::copy_file("/bin/sleep", App("Prog"));
    Program(App("New_Prog"), "new");
    const auto start = std::chrono::steady_clock::now();
    std::thread running([&] { testsupport::RunProgram({App("Prog"), "1.5"}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Swap("Prog;New_Prog"), 0);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    running.join();
    EXPECT_GE(waited, 1.4);
    EXPECT_EQ(Started(std::chrono::seconds(15)), "new\n");
}
