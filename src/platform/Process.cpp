#include "platform/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform {

namespace {

// RAII owners of the two posix_spawn attribute records.
class FileActions {
public:
    FileActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ::posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Our environment with the extra entries; an extra entry replaces one of the same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const auto& added : extra) replaced = replaced || added.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) entries.push_back(text);
    }
    entries.insert(entries.end(), extra.begin(), extra.end());
    return entries;
}

}  // namespace

std::optional<ChildProcess> ChildProcess::Start(const std::vector<std::string>& argv, const SpawnOptions& options) {
    if (argv.empty() || argv.front().empty()) return std::nullopt;
    FileActions actions;
    if (!options.workingFolder.empty() &&
        ::posix_spawn_file_actions_addchdir_np(actions.get(), options.workingFolder.c_str()) != 0)
        return std::nullopt;
    if (options.standardOutput >= 0 &&
        ::posix_spawn_file_actions_adddup2(actions.get(), options.standardOutput, STDOUT_FILENO) != 0)
        return std::nullopt;
    SpawnAttributes attributes;
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (options.newSession) flags |= POSIX_SPAWN_SETSID;
    // The child starts with no blocked signals and default handlers, whatever ours are.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    ::posix_spawnattr_setsigmask(attributes.get(), &none);
    ::posix_spawnattr_setsigdefault(attributes.get(), &all);
    ::posix_spawnattr_setflags(attributes.get(), flags);

    std::vector<std::string> args = argv;
    std::vector<std::string> env = ChildEnvironment(options.extraEnvironment);
    auto argPointers = PointersTo(args);
    auto envPointers = PointersTo(env);
    pid_t pid = -1;
    const bool searchPath = argv.front().find('/') == std::string::npos;
    const int rc = searchPath ? ::posix_spawnp(&pid, args.front().c_str(), actions.get(), attributes.get(),
                                               argPointers.data(), envPointers.data())
                              : ::posix_spawn(&pid, args.front().c_str(), actions.get(), attributes.get(),
                                              argPointers.data(), envPointers.data());
    if (rc != 0) return std::nullopt;
    return ChildProcess(pid);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_) {
    other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (pid_ > 0) Wait();
        pid_ = other.pid_;
        other.pid_ = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) Wait();
}

namespace {
int ExitCodeOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}
}  // namespace

int ChildProcess::Wait() {
    if (pid_ <= 0) return -1;
    int status = 0;
    pid_t done;
    do {
        done = ::waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    pid_ = -1;
    return done < 0 ? -1 : ExitCodeOf(status);
}

std::optional<int> ChildProcess::WaitAtMost(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return ExitCodeOf(status);
        }
        if (done < 0 && errno != EINTR) {
            pid_ = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    Wait();
}

}  // namespace platform
