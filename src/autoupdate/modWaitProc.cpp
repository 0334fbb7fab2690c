#include "autoupdate/modWaitProc.h"

#include <sys/stat.h>
#include <unistd.h>

#include "autoupdate/DownloadUrl.h"
#include "platform/CommandLine.h"
#include "platform/Process.h"

int ShowCommand(bool hidden, bool minimized) {
    return hidden ? 0 : minimized ? 7 : 5;
}

std::string ShowCommandEntry(int showCommand) {
    return "NUTV_SHOW_COMMAND=" + std::to_string(showCommand);
}

void ShellAndWait(const std::string& file, std::int32_t /*ownerWindow*/, const std::string& parameters,
                  const std::string& workingFolder, bool hidden, bool minimized) {
    if (file.empty()) return;
    // A relative name is looked for in the working folder first, as the shell does.
    std::string path = file;
    if (file.front() != '/' && !workingFolder.empty()) {
        const std::string inFolder = update::InFolder(workingFolder, file);
        struct stat info {};
        if (file.find('/') != std::string::npos || ::stat(inFolder.c_str(), &info) == 0) path = inFolder;
    }

    std::vector<std::string> argv;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0) {
            argv.push_back(path);
            for (auto& word : platform::SplitCommandLine(parameters)) argv.push_back(std::move(word));
        } else if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) {
            argv = {"xdg-open", path};  // a document or folder: the desktop's own choice of program
        } else {
            return;
        }
    } else if (path.find('/') == std::string::npos) {
        argv.push_back(path);  // a bare program name: searched in PATH
        for (auto& word : platform::SplitCommandLine(parameters)) argv.push_back(std::move(word));
    } else {
        return;  // no such file
    }

    platform::SpawnOptions options;
    options.workingFolder = workingFolder;
    options.extraEnvironment = {ShowCommandEntry(ShowCommand(hidden, minimized))};
    if (auto child = platform::ChildProcess::Start(argv, options)) child->Wait();
}
