#pragma once
// Database servers far away, on this machine: a relay that listens on the servers' own
// addresses in a network namespace of its own and forwards every connection to the real
// server, holding each byte a fixed delay in each direction without limiting bandwidth.
// A thread inside a FarSide scope, and every thread and process it starts there, sees the
// servers through the relay; threads started before (a pool's) still reach them directly.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

class Relay {
public:
    // Listens on `addresses`:`port` of a new network namespace; connects to the same
    // address and port in the caller's namespace. Throws when namespaces are not allowed.
    Relay(const std::vector<std::string>& addresses, int port, double delaySeconds);
    ~Relay();
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    double DelaySeconds() const { return delay_; }
    // Bytes forwarded so far, both directions together, and connections accepted.
    std::int64_t BytesRelayed() const { return bytes_; }
    std::int64_t Connections() const { return connections_; }

private:
    friend class FarSide;
    struct Link;
    void Accept(int listener, const std::string& upstream, int port);
    void Forward(int from, int to);

    double delay_;
    int farNetwork_ = -1;
    std::vector<int> listeners_;
    std::vector<std::thread> acceptors_;
    std::mutex linksMutex_;
    std::vector<std::unique_ptr<Link>> links_;
    std::atomic<bool> stopping_{false};
    std::atomic<std::int64_t> bytes_{0}, connections_{0};
};

// Moves the calling thread into the relay's namespace for the scope, and back after it.
class FarSide {
public:
    explicit FarSide(const Relay& relay);
    ~FarSide();
    FarSide(const FarSide&) = delete;
    FarSide& operator=(const FarSide&) = delete;

private:
    int home_ = -1;
};

}  // namespace testsupport
