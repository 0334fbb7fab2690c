// ShellAndWait with real processes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "PathEnvironment.h"
#include "autoupdate/modWaitProc.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteScript;

namespace {
double SecondsFor(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

TEST(ShellAndWait, WaitsUntilTheProgramHasEnded) {
    testsupport::TempDir dir;
    WriteScript(dir / "slow", "sleep 1\necho done > \"$(dirname \"$0\")/finished\"\nexit 3\n");
    const double seconds = SecondsFor([&] { ShellAndWait(dir / "slow", 0, "", dir.path(), false, false); });
    EXPECT_GE(seconds, 0.9);
    EXPECT_EQ(ReadFile(dir / "finished"), "done\n");  // written before the wait ended
}

TEST(ShellAndWait, ParametersAndWorkingFolderReachTheProgram) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "work");
    WriteScript(dir / "args", "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$(dirname \"$0\")/out\"\n");
    ShellAndWait(dir / "args", 0, "12;Prog \"My Prog\" x\\\"y", dir / "work", false, false);
    EXPECT_EQ(ReadFile(dir / "out"), dir / "work\n[12;Prog]\n[My Prog]\n[x\"y]\n");
    // A relative name is found in the working folder.
    WriteScript(dir / "work/local", "pwd > \"$(dirname \"$0\")/local-out\"\n");
    ShellAndWait("local", 0, "", dir / "work", false, false);
    EXPECT_EQ(ReadFile(dir / "work/local-out"), dir / "work\n");
}

TEST(ShellAndWait, MissingOrUnstartableFileReturnsAtOnceWithoutMessage) {
    testsupport::ScriptedMsgBox boxes;
    testsupport::TempDir dir;
    testsupport::WriteFile(dir / "noshebang",
                           "\x7f"
                           "ELF garbage");
    ::chmod((dir / "noshebang").c_str(), 0755);
    const double seconds = SecondsFor([&] {
        ShellAndWait(dir / "missing.exe", 0, "a b", dir.path(), false, false);
        ShellAndWait("no-such-program-anywhere-nutv", 0, "", dir.path(), false, false);
        ShellAndWait(dir / "noshebang", 0, "", dir.path(), false, false);
        ShellAndWait("", 0, "", "", false, false);
    });
    EXPECT_LT(seconds, 2.0);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(ShellAndWait, WindowHintsReachTheChildAndHiddenWins) {
    testsupport::TempDir dir;
    WriteScript(dir / "show", "echo \"$NUTV_SHOW_COMMAND\" >> \"$(dirname \"$0\")/shows\"\n");
    ShellAndWait(dir / "show", 0, "", dir.path(), true, true);
    ShellAndWait(dir / "show", 0, "", dir.path(), true, false);
    ShellAndWait(dir / "show", 0, "", dir.path(), false, true);
    ShellAndWait(dir / "show", 0, "", dir.path(), false, false);
    EXPECT_EQ(ReadFile(dir / "shows"), "0\n0\n7\n5\n");
    EXPECT_EQ(ShowCommand(true, true), 0);
}

TEST(ShellAndWait, DocumentsAndFoldersOpenWithXdgOpen) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir / "bin");
    testsupport::FakeXdgOpen opener(dir / "bin");
    testsupport::WriteFile(dir / "readme.txt", "text");
    ShellAndWait(dir / "readme.txt", 0, "ignored", dir.path(), false, false);
    ShellAndWait(dir.path(), 0, "", dir.path(), false, false);
    // Waited for: the opener has written its log by the time each call returns.
    EXPECT_EQ(ReadFile(opener.Log()), dir / "readme.txt\n" + dir.path() + "\n");
}
