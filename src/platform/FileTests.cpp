#include "platform/FileTests.h"

#include <sys/stat.h>

#include "platform/ExecutablePath.h"

namespace platform {

bool VisibleFileExists(const std::string& path) {
    const std::string name = FileNameOf(path);
    if (name.empty() || name.front() == '.') return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool MakeExecutable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    mode_t mode = info.st_mode & 07777;
    if (mode & S_IRUSR) mode |= S_IXUSR;
    if (mode & S_IRGRP) mode |= S_IXGRP;
    if (mode & S_IROTH) mode |= S_IXOTH;
    return ::chmod(path.c_str(), mode) == 0;
}

}  // namespace platform
