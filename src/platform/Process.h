#pragma once
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Starting other programs (posix_spawn) and waiting for them (waitpid).
namespace platform {

struct SpawnOptions {
    std::string workingFolder;                  // "" keeps ours
    bool newSession = false;                    // the child outlives our terminal session and us
    std::vector<std::string> extraEnvironment;  // "NAME=value" entries added to our environment
    int standardOutput = -1;                    // a descriptor for the child's standard output; -1 keeps ours
};

// One started child process. Whoever holds it either waits for it or releases it;
// a child that was neither is waited for when the object ends, so none is left a zombie.
class ChildProcess {
public:
    // Starts argv[0] with the arguments; a name without "/" is searched in PATH.
    // Empty when the program could not be started (missing, not executable, ...).
    static std::optional<ChildProcess> Start(const std::vector<std::string>& argv, const SpawnOptions& options = {});

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }

    // Blocks until the child has ended; its exit code, or 128 + the signal that ended it.
    int Wait();

    // Waits at most `limit`; the exit code as Wait() gives it, or nothing when the child
    // still runs (it is then still ours to wait for or to stop).
    std::optional<int> WaitAtMost(std::chrono::milliseconds limit);

    // Ends the child at once (SIGKILL) and waits for it.
    void Kill();

    // Lets the child run on without us; nobody waits for it here any more.
    void Release() { pid_ = -1; }

private:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    pid_t pid_ = -1;
};

}  // namespace platform
