#include "support/Relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace testsupport {

namespace {

// Bytes held per direction before reading waits: far above what a loopback moves in the
// delay, so the bound never limits bandwidth, yet memory stays bounded.
constexpr std::size_t kHeldBytes = 64u << 20;
constexpr std::size_t kChunk = 64u << 10;

// Seconds on the steady clock.
double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

int OwnNetwork() {
    const int fd = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SystemError("cannot open this thread's network namespace");
    return fd;
}

sockaddr_in Address(const std::string& address, int port) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &in.sin_addr) != 1)
        throw std::runtime_error("not an IPv4 address: " + address);
    return in;
}

// Small protocol packets go at once: Nagle's wait would add to the delay being measured.
void NoDelay(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

bool SendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

timespec Seconds(double seconds) {
    seconds = std::max(seconds, 0.0);
    const double whole = std::floor(seconds);
    return {static_cast<time_t>(whole), static_cast<long>((seconds - whole) * 1e9)};
}

}  // namespace

// One relayed connection: the client's socket, the server's, and a thread per direction.
struct Relay::Link {
    int client = -1, server = -1;
    std::thread up, down;
    std::atomic<int> running{2};
    ~Link() {
        ::shutdown(client, SHUT_RDWR);
        ::shutdown(server, SHUT_RDWR);
        if (up.joinable()) up.join();
        if (down.joinable()) down.join();
        ::close(client);
        ::close(server);
    }
};

Relay::Relay(const std::vector<std::string>& addresses, int port, double delaySeconds) : delay_(delaySeconds) {
    const int home = OwnNetwork();
    if (::unshare(CLONE_NEWNET) != 0) {
        ::close(home);
        throw SystemError("no network namespace for the relay");
    }
    try {
        farNetwork_ = OwnNetwork();
        if (std::system("ip link set lo up") != 0) throw std::runtime_error("cannot bring up the relay's loopback");
        for (const std::string& address : addresses) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd < 0) throw SystemError("socket");
            listeners_.push_back(fd);
            const int on = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
            const sockaddr_in in = Address(address, port);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&in), sizeof in) != 0 || ::listen(fd, 128) != 0)
                throw SystemError("the relay cannot listen on " + address);
        }
    } catch (...) {
        (void)::setns(home, CLONE_NEWNET);
        ::close(home);
        for (int fd : listeners_) ::close(fd);
        if (farNetwork_ >= 0) ::close(farNetwork_);
        throw;
    }
    // Back home before any thread starts: the relay's threads reach the real servers.
    const bool back = ::setns(home, CLONE_NEWNET) == 0;
    ::close(home);
    if (!back) std::abort();  // this thread would stay far from every server
    for (std::size_t i = 0; i < addresses.size(); ++i)
        acceptors_.emplace_back(&Relay::Accept, this, listeners_[i], addresses[i], port);
}

Relay::~Relay() {
    stopping_ = true;
    for (int fd : listeners_) ::shutdown(fd, SHUT_RDWR);  // wakes the accepting threads
    for (std::thread& acceptor : acceptors_) acceptor.join();
    for (int fd : listeners_) ::close(fd);
    links_.clear();
    ::close(farNetwork_);
}

void Relay::Accept(int listener, const std::string& upstream, int port) {
    const sockaddr_in server = Address(upstream, port);
    while (!stopping_) {
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        const int up = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (up < 0 || ::connect(up, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
            if (up >= 0) ::close(up);
            ::close(client);  // the client sees the server refuse, as it would without the relay
            continue;
        }
        NoDelay(client);
        NoDelay(up);
        ++connections_;
        auto link = std::make_unique<Link>();
        link->client = client;
        link->server = up;
        Link* raw = link.get();
        link->up = std::thread([this, raw] {
            Forward(raw->client, raw->server);
            --raw->running;
        });
        link->down = std::thread([this, raw] {
            Forward(raw->server, raw->client);
            --raw->running;
        });
        const std::lock_guard lock(linksMutex_);
        std::erase_if(links_, [](const std::unique_ptr<Link>& old) { return old->running == 0; });
        links_.push_back(std::move(link));
    }
}

// Reads whatever arrives from `from` at once and sends each chunk to `to` when it has been
// held for the delay; the sending side's end of data ends the other side's too.
void Relay::Forward(int from, int to) {
    std::deque<std::pair<double, std::string>> held;  // (when due, bytes)
    std::size_t heldBytes = 0;
    bool open = true;
    std::string buffer(kChunk, '\0');
    while (open || !held.empty()) {
        const double now = Now();
        while (!held.empty() && held.front().first <= now) {
            if (!SendAll(to, held.front().second)) {
                ::shutdown(from, SHUT_RDWR);
                ::shutdown(to, SHUT_RDWR);
                return;
            }
            heldBytes -= held.front().second.size();
            held.pop_front();
        }
        if (!open && held.empty()) break;
        timespec wait{};
        const timespec* timeout = nullptr;
        if (!held.empty()) {
            wait = Seconds(held.front().first - now);
            timeout = &wait;
        }
        pollfd readable{from, POLLIN, 0};
        const nfds_t watched = open && heldBytes < kHeldBytes ? 1 : 0;
        if (::ppoll(&readable, watched, timeout, nullptr) <= 0 || watched == 0) continue;
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            open = false;
            continue;
        }
        held.emplace_back(Now() + delay_, buffer.substr(0, static_cast<std::size_t>(n)));
        heldBytes += static_cast<std::size_t>(n);
        bytes_ += n;
    }
    ::shutdown(to, SHUT_WR);
}

FarSide::FarSide(const Relay& relay) : home_(OwnNetwork()) {
    if (::setns(relay.farNetwork_, CLONE_NEWNET) != 0) {
        ::close(home_);
        throw SystemError("cannot enter the relay's network namespace");
    }
}

FarSide::~FarSide() {
    if (::setns(home_, CLONE_NEWNET) != 0) std::abort();  // the rest of the run would measure the wrong side
    ::close(home_);
}

}  // namespace testsupport
