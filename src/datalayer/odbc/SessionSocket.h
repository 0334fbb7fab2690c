#pragma once
// Internal: the socket under a driver connection, so that another thread can cut it.
// The ODBC API does not hand the socket out; it is the one this process opened while
// the driver connected (told apart, when several appeared, by the local port the server
// saw). Cutting shuts the socket down without closing it: a call blocked on a frozen
// server returns with an error at once, and the descriptor stays the driver's to close.
#include <sys/types.h>

#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace ado::odbc {

// Where a connection's socket leads.
struct SocketPeer {
    bool tcp = false;     // false: a local (unix) socket
    std::string address;  // numeric IP address, or the socket file's path
    int port = 0;
};

class SessionSocket {
public:
    // Call right before the driver connects: remembers the sockets already open. False
    // when the connection was cut already: it must not connect.
    bool BeginConnect();
    // Call right after: takes the socket opened meanwhile; `serverSeenPort` (0 when not
    // known) picks it among several. Returns false when none can be told for certain.
    bool EndConnect(int serverSeenPort);
    // Call right after a connect whose socket the library names: takes that one.
    void EndConnectWith(int fd);
    // Call before the driver closes the connection: the descriptor is no longer ours to cut.
    void Forget();
    // From any thread: shuts the connection's socket down (during connecting, the one the
    // connecting thread waits on). Later calls on the connection fail at once.
    void Cut();
    bool WasCut() const;
    std::optional<SocketPeer> Peer() const;

private:
    static constexpr int kCutLooks = 20;  // 5 ms apart

    mutable std::mutex mutex_;
    bool connecting_ = false;
    pid_t connectingThread_ = 0;
    bool cut_ = false;
    std::set<ino_t> before_;
    int fd_ = -1;
};

}  // namespace ado::odbc
