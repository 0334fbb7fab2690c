#include "platform/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <utility>

namespace platform {

std::string SingleInstanceLock::LockFilePath(const std::string& name) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/" + name + ".lock";
    // The temp folder is shared by all users: the user's number keeps one user's lock
    // from standing in another's way.
    std::error_code ignored;
    std::filesystem::path temp = std::filesystem::temp_directory_path(ignored);
    if (temp.empty()) temp = "/tmp";
    return (temp / (name + "-" + std::to_string(::getuid()) + ".lock")).string();
}

SingleInstanceLock SingleInstanceLock::Acquire(const std::string& name) {
    const std::string path = LockFilePath(name);
    // Close-on-exec: a program started from here (the update's file replacer) must not
    // keep the lock after this process has ended.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return SingleInstanceLock(Outcome::Unchecked, -1);
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return SingleInstanceLock(Outcome::Acquired, fd);
    const int error = errno;
    ::close(fd);
    return SingleInstanceLock(error == EWOULDBLOCK ? Outcome::AlreadyRunning : Outcome::Unchecked, -1);
}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

SingleInstanceLock::SingleInstanceLock(SingleInstanceLock&& other) noexcept
    : outcome_(other.outcome_), fd_(std::exchange(other.fd_, -1)) {}

SingleInstanceLock& SingleInstanceLock::operator=(SingleInstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        outcome_ = other.outcome_;
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void SingleInstanceLock::Release() {
    // Closing the only descriptor of the open file releases the lock; the file stays, so
    // that a later start locks the same file.
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

}  // namespace platform
