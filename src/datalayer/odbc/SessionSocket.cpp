#include "datalayer/odbc/SessionSocket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace ado::odbc {

namespace {

// The inode of the socket open as `fd`, from its /proc link ("socket:[12345]"); nullopt for
// anything else. The link is read by name, so a descriptor of another thread (another
// lane's connection) is never itself touched.
std::optional<ino_t> SocketInode(int fd) {
    std::array<char, 64> link{};
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size() - 1);
    constexpr std::string_view kSocket = "socket:[";
    if (length <= 0 ||
        std::string_view(link.data(), static_cast<std::size_t>(length)).substr(0, kSocket.size()) != kSocket)
        return std::nullopt;
    return static_cast<ino_t>(std::strtoull(link.data() + kSocket.size(), nullptr, 10));
}

// The process's open sockets, descriptor to inode. An inode names a socket for as long
// as it is open, so a descriptor number reused meanwhile is not mistaken for an old one.
std::map<int, ino_t> OpenSockets() {
    std::map<int, ino_t> sockets;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir) return sockets;
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own) continue;
        if (const auto inode = SocketInode(static_cast<int>(fd))) sockets[static_cast<int>(fd)] = *inode;
    }
    ::closedir(dir);
    return sockets;
}

// The local port of a TCP socket; 0 for any other socket.
int LocalPort(int fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return 0;
}

// The descriptor the thread `tid` of this process is blocked on, when it waits in a call
// on one descriptor: a read, a write, a connect, or a poll of one descriptor (how the
// client library waits for the server). From /proc: "<call> <arg1> <arg2> ...", or
// "running" while it is not in a call.
std::optional<int> WaitedOnDescriptor(pid_t tid) {
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/syscall");
    long call = -1;
    std::string first, second;
    if (!(file >> call >> first >> second)) return std::nullopt;
    const unsigned long long argument = std::strtoull(first.c_str(), nullptr, 0);
    const unsigned long long count = std::strtoull(second.c_str(), nullptr, 0);
    switch (call) {
        case SYS_read:
        case SYS_write:
        case SYS_recvfrom:
        case SYS_sendto:
        case SYS_recvmsg:
        case SYS_sendmsg:
        case SYS_connect:
            return static_cast<int>(argument);
#ifdef SYS_poll
        case SYS_poll:
#endif
        case SYS_ppoll:
            // The thread's own array, unchanged while it waits in the call.
            if (count == 1) return reinterpret_cast<const pollfd*>(argument)->fd;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace

bool SessionSocket::BeginConnect() {
    std::set<ino_t> before;
    for (const auto& [fd, inode] : OpenSockets()) before.insert(inode);
    std::lock_guard lock(mutex_);
    if (cut_) return false;
    before_ = std::move(before);
    connectingThread_ = static_cast<pid_t>(::syscall(SYS_gettid));
    connecting_ = true;
    fd_ = -1;
    return true;
}

bool SessionSocket::EndConnect(int serverSeenPort) {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    // The sockets opened meanwhile; when the server saw a TCP session, only TCP ones (a
    // name lookup may have left a local socket open), the one with the port it saw first.
    std::vector<int> opened;
    for (const auto& [fd, inode] : OpenSockets()) {
        if (before_.count(inode) || (serverSeenPort > 0 && LocalPort(fd) == 0)) continue;
        if (serverSeenPort > 0 && LocalPort(fd) == serverSeenPort)
            opened.insert(opened.begin(), fd);
        else
            opened.push_back(fd);
    }
    before_.clear();
    // Several, none of them on the port the server saw (another thread connected
    // meanwhile): which one is ours cannot be told.
    const bool certain =
        opened.size() == 1 || (serverSeenPort > 0 && !opened.empty() && LocalPort(opened.front()) == serverSeenPort);
    fd_ = certain ? opened.front() : -1;
    if (cut_ && fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // cut while it connected
    return fd_ >= 0;
}

void SessionSocket::EndConnectWith(int fd) {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    before_.clear();
    fd_ = fd;
    if (cut_ && fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // cut while it connected
}

void SessionSocket::Forget() {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    before_.clear();
    fd_ = -1;
}

void SessionSocket::Cut() {
    // While the driver is still connecting on another thread, its socket is the one that
    // thread waits on, if that is a socket opened since the connect began; any other
    // socket the process opened meanwhile belongs to someone else. A thread not waiting
    // is looked at again for a moment; should its connect still go through, EndConnect
    // cuts the socket it takes.
    for (int look = 0; look < kCutLooks; ++look) {
        {
            std::lock_guard lock(mutex_);
            cut_ = true;
            if (fd_ >= 0) {
                ::shutdown(fd_, SHUT_RDWR);
                return;
            }
            if (!connecting_) return;
            if (const auto fd = WaitedOnDescriptor(connectingThread_)) {
                if (const auto inode = SocketInode(*fd); inode && !before_.count(*inode)) {
                    ::shutdown(*fd, SHUT_RDWR);
                    return;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool SessionSocket::WasCut() const {
    std::lock_guard lock(mutex_);
    return cut_;
}

std::optional<SocketPeer> SessionSocket::Peer() const {
    std::lock_guard lock(mutex_);
    if (fd_ < 0) return std::nullopt;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return std::nullopt;
    SocketPeer peer;
    std::array<char, INET6_ADDRSTRLEN> text{};
    if (address.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &in.sin_addr, text.data(), text.size());
        peer = {true, text.data(), ntohs(in.sin_port)};
    } else if (address.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &in6.sin6_addr, text.data(), text.size());
        peer = {true, text.data(), ntohs(in6.sin6_port)};
    } else if (address.ss_family == AF_UNIX) {
        peer.address = reinterpret_cast<const sockaddr_un&>(address).sun_path;
    }
    return peer;
}

}  // namespace ado::odbc
