#include "swapkit/FileSwap.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <thread>

#include "ToolArguments.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/PendingProgram.h"
#include "autoupdate/UpdateNames.h"
#include "platform/FileTests.h"
#include "platform/Process.h"

namespace update {

namespace {
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
}  // namespace

bool SomeProcessRuns(const std::string& path) {
    struct stat program {};
    if (::stat(path.c_str(), &program) != 0) return false;
    std::unique_ptr<DIR, DirCloser> proc(::opendir("/proc"));
    if (!proc) return false;
    const pid_t self = ::getpid();
    while (const dirent* entry = ::readdir(proc.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (std::stol(name) == self) continue;
        // Processes of other users refuse this look; an ended (zombie) one has no exe any more.
        struct stat running {};
        if (::stat(("/proc/" + name + "/exe").c_str(), &running) == 0 && running.st_dev == program.st_dev &&
            running.st_ino == program.st_ino)
            return true;
    }
    return false;
}

namespace {
void Restart(const std::string& programFolder, const std::string& programPath, const char* mark) {
    platform::SpawnOptions options;
    options.workingFolder = programFolder;
    options.newSession = true;
    options.extraEnvironment = {std::string(kRestartMarkVariable) + "=" + mark};
    if (auto program = platform::ChildProcess::Start({programPath}, options)) program->Release();
}
}  // namespace

SwapResult SwapAndRestart(const std::string& programFolder, const std::string& programFile,
                          const std::string& pendingFile, std::chrono::milliseconds patience,
                          const std::string& publicKey) {
    if (!IsPlainFileName(programFile) || pendingFile != kPendingPrefix + programFile) return SwapResult::BadArguments;
    const std::string programPath = InFolder(programFolder, programFile);
    const std::string pendingPath = InFolder(programFolder, pendingFile);

    const auto deadline = std::chrono::steady_clock::now() + patience;
    bool ended = false;
    while (!(ended = !SomeProcessRuns(programPath)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));

    bool swapped = false;
    if (ended && platform::VisibleFileExists(pendingPath) &&
        CheckPendingProgram(programFolder, programFile, publicKey) == Verdict::Accepted) {
        struct stat current {};
        const mode_t mode = ::stat(programPath.c_str(), &current) == 0 ? (current.st_mode & 07777) : 0755;
        swapped = ::chmod(pendingPath.c_str(), mode) == 0 && ::rename(pendingPath.c_str(), programPath.c_str()) == 0;
    }
    RemovePendingProgram(programFolder, programFile);
    // A program that has not ended runs on: starting it again would only meet itself.
    if (ended) Restart(programFolder, programPath, swapped ? kRestartAfterSwap : kRestartAfterFailedSwap);
    return swapped ? SwapResult::Swapped : SwapResult::Failed;
}

}  // namespace update
