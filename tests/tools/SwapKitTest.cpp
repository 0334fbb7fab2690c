// The file replacer as a process: swaps only a verified newer program of ours, only after
// the program has ended, keeps the program's mode, starts the program again either way
// with the mark that tells it how the swap went, and never leaves the "New_" file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

class SwapKit : public ::testing::Test {
protected:
    SwapKit() {
        std::filesystem::create_directories(app_);
        std::filesystem::copy_file(NUTV_SWAPKIT_PATH, App("swapkit.exe"));
    }
    std::string App(const std::string& name) const { return app_ + "/" + name; }
    int Swap(const std::string& argument) const { return testsupport::RunProgram({App("swapkit.exe"), argument}, "/"); }

    // A program of ours that notes each start in started.log ("<revision> <restart mark>"),
    // made as the program file "Prog".
    void Program(const std::string& path, const std::string& version) const {
        testsupport::CopyWithVersion(NUTV_START_NOTE_PATH, path, version, "Prog");
    }
    std::string Started(std::chrono::milliseconds wait) const {
        return testsupport::WaitForFile(
            App("started.log"), [](const std::string& log) { return !log.empty(); }, wait);
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
    Program(App("Prog"), "1.0.0.1");
    ::chmod(App("Prog").c_str(), 0750);
    Program(App("New_Prog"), "1.0.0.2");
    ::chmod(App("New_Prog").c_str(), 0644);
    const std::string fresh = ReadFile(App("New_Prog"));
    EXPECT_EQ(Swap("Prog;New_Prog"), 0);
    EXPECT_TRUE(ReadFile(App("Prog")) == fresh);
    EXPECT_EQ(ModeOf(App("Prog")), 0750u);
    EXPECT_FALSE(std::filesystem::exists(App("New_Prog")));
    EXPECT_EQ(Started(std::chrono::seconds(15)), "2 swapped\n");
}

TEST_F(SwapKit, RefusedNewFileIsRemovedAndTheOldProgramStartsAgainSayingSo) {
    Program(App("Prog"), "1.0.0.2");
    const std::string before = ReadFile(App("Prog"));
    const std::vector<std::pair<std::string, std::function<void()>>> refused = {
        {"an empty download", [&] { WriteFile(App("New_Prog"), ""); }},
        {"a web page", [&] { WriteFile(App("New_Prog"), "<html>busy</html>"); }},
        {"a program cut short", [&] { WriteFile(App("New_Prog"), before.substr(0, before.size() / 2)); }},
        {"no newer revision", [&] { Program(App("New_Prog"), "1.0.0.2"); }},
        {"made for another file",
         [&] { testsupport::CopyWithVersion(NUTV_START_NOTE_PATH, App("New_Prog"), "1.0.0.3"); }},
    };
    std::string expected;
    for (const auto& [what, make] : refused) {
        SCOPED_TRACE(what);
        make();
        EXPECT_EQ(Swap("Prog;New_Prog"), 1);
        EXPECT_TRUE(ReadFile(App("Prog")) == before);
        EXPECT_FALSE(std::filesystem::exists(App("New_Prog")));
        expected += "2 failed\n";
        EXPECT_EQ(testsupport::WaitForContent(App("started.log"), expected), expected);
    }
}

TEST_F(SwapKit, BadArgumentsTouchNothing) {
    Program(App("Prog"), "1.0.0.1");
    Program(App("New_Prog"), "1.0.0.2");
    EXPECT_EQ(Swap("Prog;Other"), 2);
    EXPECT_EQ(Swap("../Prog;New_../Prog"), 2);
    EXPECT_EQ(Swap("Prog"), 2);
    EXPECT_EQ(testsupport::RunProgram({App("swapkit.exe")}), 2);
    EXPECT_TRUE(std::filesystem::exists(App("New_Prog")));
    EXPECT_EQ(Started(std::chrono::milliseconds(300)), "");
}

TEST_F(SwapKit, WaitsUntilTheRunningProgramHasEnded) {
    // The program: a copy of sleep, running for a while from the program folder.
    testsupport::CopyWithVersion("/bin/sleep", App("Prog"), "1.0.0.1");
    Program(App("New_Prog"), "1.0.0.2");
    const auto start = std::chrono::steady_clock::now();
    std::thread running([&] { testsupport::RunProgram({App("Prog"), "1.5"}); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Swap("Prog;New_Prog"), 0);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    running.join();
    EXPECT_GE(waited, 1.4);
    EXPECT_EQ(Started(std::chrono::seconds(15)), "2 swapped\n");
}
