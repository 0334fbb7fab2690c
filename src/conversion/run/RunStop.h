#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace ado {
class Connection;
}

// The 중지 button's reach into a run working on another thread: the run hands over its
// connections as it makes them; a stop request, from any thread, marks the run stopped
// and cuts those connections, so that even a call waiting on a frozen server returns
// at once and the run ends by its own error handling.
class RunStop {
public:
    // A run begins: forgets the request and the connections of the one before.
    void Begin();
    // The run's connection, cut at once should the stop already have been asked for.
    void Watch(const std::shared_ptr<ado::Connection>& connection);
    void Request();
    bool Requested() const { return requested_.load(); }

private:
    std::atomic<bool> requested_{false};
    std::mutex mutex_;
    std::vector<std::weak_ptr<ado::Connection>> connections_;
};

// What the run raises on its own when it sees the stop request between two steps.
struct RunStopped {};
