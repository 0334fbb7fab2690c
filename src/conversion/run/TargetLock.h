#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace ado {
class Connection;
}

// One conversion per target database at a time, whichever computer starts it: the run
// takes a server lock named after the target database on its target connection before it
// changes anything and keeps it to its end; the server lets it go when that connection
// ends, so a killed run never leaves it behind. Verification takes the same lock: it never
// reads a target that a conversion is filling.

// Takes the lock without waiting. Returns nothing when this connection holds it, else who
// holds it as far as the server tells ("사용자 u, 접속 위치 h"), or "" when it cannot tell.
std::optional<std::string> TakeTargetLock(ado::Connection& target);

// Whether this connection still holds the lock: a session the server has ended (and the
// driver may have opened anew) does not.
bool HoldsTargetLock(ado::Connection& target);

// Waits, on a target connection of its own, for the lock to come free while the run holds
// it: that happens only when the holding session has ended (killed, or cut from the
// server), and the server says so the moment it does. Then `lost` is called, on the
// watch's own thread, and the watch ends (holding the lock itself until it goes).
class TargetLockWatch {
public:
    TargetLockWatch(std::shared_ptr<ado::Connection> watcher, std::function<void()> lost);
    // Ends the wait: cuts the watcher's connection.
    ~TargetLockWatch();
    TargetLockWatch(const TargetLockWatch&) = delete;
    TargetLockWatch& operator=(const TargetLockWatch&) = delete;

private:
    void Wait(const std::function<void()>& lost);

    std::shared_ptr<ado::Connection> watcher_;
    std::atomic<bool> ending_{false};
    std::jthread thread_;  // last: it starts once the rest is set
};

// The refusal shown when another run holds the lock of `database`.
std::string TargetBusyMessage(const std::string& database, const std::string& holder);
