#pragma once
#include <string>

// Tells whether another instance of a program runs for the same user: an flock()ed lock
// file that the kernel releases when its holder ends, however it ends.
namespace platform {

class SingleInstanceLock {
public:
    enum class Outcome {
        Acquired,        // this process is the one instance; the lock is held until release
        AlreadyRunning,  // another process holds the lock
        Unchecked,       // the lock file could not be opened: nothing can be said
    };

    // Tries to take the lock named `name` without waiting.
    static SingleInstanceLock Acquire(const std::string& name);
    // $XDG_RUNTIME_DIR/<name>.lock, or <temp folder>/<name>-<uid>.lock without it.
    static std::string LockFilePath(const std::string& name);

    SingleInstanceLock() = default;  // holds nothing
    ~SingleInstanceLock();
    SingleInstanceLock(SingleInstanceLock&& other) noexcept;
    SingleInstanceLock& operator=(SingleInstanceLock&& other) noexcept;
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    Outcome outcome() const { return outcome_; }
    bool Held() const { return fd_ >= 0; }

private:
    SingleInstanceLock(Outcome outcome, int fd) : outcome_(outcome), fd_(fd) {}
    void Release();

    Outcome outcome_ = Outcome::Unchecked;
    int fd_ = -1;
};

}  // namespace platform
