#include "datalayer/odbc/SessionSocket.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <map>
#include <vector>

namespace ado::odbc {

namespace {

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
        struct stat st {};
        if (::fstat(static_cast<int>(fd), &st) == 0 && S_ISSOCK(st.st_mode)) sockets[static_cast<int>(fd)] = st.st_ino;
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

}  // namespace

bool SessionSocket::BeginConnect() {
    std::set<ino_t> before;
    for (const auto& [fd, inode] : OpenSockets()) before.insert(inode);
    std::lock_guard lock(mutex_);
    if (cut_) return false;
    before_ = std::move(before);
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
    return fd_ >= 0;
}

void SessionSocket::EndConnectWith(int fd) {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    before_.clear();
    fd_ = fd;
}

void SessionSocket::Forget() {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    before_.clear();
    fd_ = -1;
}

void SessionSocket::Cut() {
    std::lock_guard lock(mutex_);
    cut_ = true;
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_RDWR);
    } else if (connecting_) {
        // The driver is still connecting on another thread: whatever it opened since.
        for (const auto& [fd, inode] : OpenSockets())
            if (!before_.count(inode)) ::shutdown(fd, SHUT_RDWR);
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
