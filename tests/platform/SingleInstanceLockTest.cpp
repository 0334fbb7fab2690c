// The single-instance lock: where it lives, and that a second holder, also in another
// process, is turned away until the first one ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/SingleInstanceLock.h"
#include "support/TestEnvironment.h"

using platform::SingleInstanceLock;
using Outcome = SingleInstanceLock::Outcome;

namespace {

// Points XDG_RUNTIME_DIR at a folder of the test's own.
class RuntimeDir {
public:
    RuntimeDir() { ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1); }
    ~RuntimeDir() { ::unsetenv("XDG_RUNTIME_DIR"); }
    testsupport::TempDir dir;
};

// What Acquire says in another process while this one holds the lock.
Outcome OutcomeInChildProcess(const std::string& name) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(static_cast<int>(SingleInstanceLock::Acquire(name).outcome()));
    int status = 0;
    ::waitpid(pid, &status, 0);
    return static_cast<Outcome>(WEXITSTATUS(status));
}

}  // namespace

TEST(SingleInstanceLock, LivesInTheRuntimeFolderOrElseTheTempFolderPerUser) {
    {
        RuntimeDir runtime;
        EXPECT_EQ(SingleInstanceLock::LockFilePath("prog"), runtime.dir.path() + "/prog.lock");
        auto lock = SingleInstanceLock::Acquire("prog");
        EXPECT_EQ(lock.outcome(), Outcome::Acquired);
        EXPECT_TRUE(std::filesystem::exists(runtime.dir / "prog.lock"));
        EXPECT_EQ(std::filesystem::status(runtime.dir / "prog.lock").permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    testsupport::TempDir temp;
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    EXPECT_EQ(SingleInstanceLock::LockFilePath("prog"), temp / ("prog-" + std::to_string(::getuid()) + ".lock"));
    EXPECT_EQ(SingleInstanceLock::Acquire("prog").outcome(), Outcome::Acquired);
    ::unsetenv("TMPDIR");
}

TEST(SingleInstanceLock, SecondHolderIsTurnedAwayUntilTheFirstReleases) {
    RuntimeDir runtime;
    auto first = SingleInstanceLock::Acquire("prog");
    ASSERT_EQ(first.outcome(), Outcome::Acquired);
    ASSERT_TRUE(first.Held());
    auto second = SingleInstanceLock::Acquire("prog");
    EXPECT_EQ(second.outcome(), Outcome::AlreadyRunning);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(OutcomeInChildProcess("prog"), Outcome::AlreadyRunning);
    // Another name is another program.
    EXPECT_EQ(SingleInstanceLock::Acquire("other").outcome(), Outcome::Acquired);

    // Moving keeps the lock; releasing the last owner frees it.
    SingleInstanceLock moved = std::move(first);
    EXPECT_EQ(SingleInstanceLock::Acquire("prog").outcome(), Outcome::AlreadyRunning);
    moved = SingleInstanceLock();
    EXPECT_EQ(OutcomeInChildProcess("prog"), Outcome::Acquired);
    EXPECT_EQ(SingleInstanceLock::Acquire("prog").outcome(), Outcome::Acquired);
}

TEST(SingleInstanceLock, ReleasedWhenTheHoldingProcessIsKilled) {
    RuntimeDir runtime;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto lock = SingleInstanceLock::Acquire("prog");
        char c = lock.Held() ? '1' : '0';
        if (::write(ready[1], &c, 1) != 1) ::_exit(1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, '1');
    EXPECT_EQ(SingleInstanceLock::Acquire("prog").outcome(), Outcome::AlreadyRunning);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(SingleInstanceLock::Acquire("prog").outcome(), Outcome::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SingleInstanceLock, UnusableFolderLeavesTheQuestionOpen) {
    testsupport::TempDir temp;
    ::setenv("XDG_RUNTIME_DIR", (temp / "missing").c_str(), 1);
    auto lock = SingleInstanceLock::Acquire("prog");
    EXPECT_EQ(lock.outcome(), Outcome::Unchecked);
    EXPECT_FALSE(lock.Held());
    ::unsetenv("XDG_RUNTIME_DIR");
}
