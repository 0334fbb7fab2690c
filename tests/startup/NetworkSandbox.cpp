#include "NetworkSandbox.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "common/MsgBox.h"

namespace sandbox {

namespace {

constexpr char kBox = 'B', kNote = 'N', kValue = 'V', kFailure = 'F', kDone = 'D';
constexpr char kSeparator = '\x1f';
constexpr std::uint16_t kServerPort = 3306;

std::atomic<int> openConnections{0};
std::atomic<int> acceptedConnections{0};
int dropRequest = -1;  // eventfd: the relay cuts its connections when it is signalled
// Whether a cut leaves the server's side open (a network that went silent): the server
// then sees nothing of it.
std::atomic<bool> keepServerSide{false};

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

sockaddr_in Loopback() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kServerPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void Run(const std::string& command) {
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    if (status != 0) throw std::runtime_error("failed: " + command);
}

// Passes bytes between the program's connections in the sandbox and the test server.
// The thread moves itself into the test's network first, so the sockets it opens to the
// server live there, while the listening socket was made in the sandbox.
void Relay(int listener, int outerNetwork, int allowed) {
    if (::setns(outerNetwork, CLONE_NEWNET) != 0) return;
    struct Pair {
        int client, server;
    };
    std::vector<Pair> pairs;
    char buffer[65536];
    for (;;) {
        std::vector<pollfd> fds{{dropRequest, POLLIN, 0}};
        if (listener >= 0) fds.push_back({listener, POLLIN, 0});
        for (const Pair& p : pairs) {
            fds.push_back({p.client, POLLIN, 0});
            fds.push_back({p.server, POLLIN, 0});
        }
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        std::size_t at = 1;
        if (fds[0].revents & POLLIN) {
            std::uint64_t count;
            if (::read(dropRequest, &count, sizeof count) < 0) return;
            for (const Pair& p : pairs) {
                ::close(p.client);
                // A silent cut strands the server's side until the process ends.
                if (!keepServerSide) ::close(p.server);
                --openConnections;
            }
            pairs.clear();
            continue;
        }
        if (listener >= 0) {
            if (fds[at++].revents & POLLIN) {
                int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                    sockaddr_in address = Loopback();
                    if (server >= 0 && ::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                        pairs.push_back({client, server});
                        ++openConnections;
                        ++acceptedConnections;
                    } else {
                        if (server >= 0) ::close(server);
                        ::close(client);
                    }
                    if (allowed > 0 && --allowed == 0) {
                        ::close(listener);
                        listener = -1;
                    }
                }
                continue;  // the poll set no longer matches the pairs
            }
        }
        for (std::size_t i = 0; i < pairs.size(); ++i, at += 2) {
            bool closed = false;
            for (int side = 0; side < 2 && !closed; ++side) {
                if (!(fds[at + side].revents & (POLLIN | POLLHUP | POLLERR))) continue;
                const int from = side == 0 ? pairs[i].client : pairs[i].server;
                const int to = side == 0 ? pairs[i].server : pairs[i].client;
                ssize_t n = ::read(from, buffer, sizeof buffer);
                if (n <= 0) {
                    closed = true;
                } else {
                    WriteAll(to, buffer, static_cast<std::size_t>(n));
                }
            }
            if (closed) {
                ::close(pairs[i].client);
                ::close(pairs[i].server);
                pairs[i] = {-1, -1};
                --openConnections;
            }
        }
        std::erase_if(pairs, [](const Pair& p) { return p.client < 0; });
    }
}

void SetUpNetwork(const Options& options) {
    Run("ip link set lo up");
    int subnet = 1;
    for (const Adapter& a : options.adapters) {
        Run("ip link add " + a.name + " type veth peer name " + a.name + "p");
        Run("ip link set " + a.name + " address " + a.mac);
        const std::string n = std::to_string(subnet++);
        if (a.ip == Adapter::Ip::V4) Run("ip addr add 10.77." + n + ".1/24 dev " + a.name);
        if (a.ip == Adapter::Ip::V6) Run("ip -6 addr add fd77:" + n + "::1/64 dev " + a.name + " nodad");
        if (a.up) Run("ip link set " + a.name + " up");
    }
}

void StartRelay(const Options& options, int outerNetwork) {
    if (options.serverConnections == 0) return;
    int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address = Loopback();
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0)
        throw std::runtime_error(std::string("relay: ") + std::strerror(errno));
    dropRequest = ::eventfd(0, EFD_CLOEXEC);
    if (dropRequest < 0) throw std::runtime_error("eventfd failed");
    std::thread(Relay, listener, outerNetwork, options.serverConnections).detach();
}

[[noreturn]] void ChildMain(const Options& options, const std::function<void(Child&)>& body, int channel) {
    Child child(channel);
    try {
        const int outerNetwork = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        if (outerNetwork < 0 || ::unshare(CLONE_NEWNET) != 0)
            throw std::runtime_error(std::string("no network namespace: ") + std::strerror(errno));
        SetUpNetwork(options);
        StartRelay(options, outerNetwork);
        SetMsgBoxHandler([&child](const std::string& prompt, int buttons, const std::string& title) {
            child.Send(kBox, std::to_string(buttons) + kSeparator + title + kSeparator + prompt);
            return mb::kOk;
        });
        body(child);
        child.Send(kDone, {});
    } catch (const std::exception& e) {
        child.Send(kFailure, e.what());
    } catch (...) {
        child.Send(kFailure, "unknown exception");
    }
    ::_exit(0);
}

std::vector<std::string> Split(const std::string& text, std::size_t parts) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (out.size() + 1 < parts) {
        std::size_t at = text.find(kSeparator, start);
        if (at == std::string::npos) break;
        out.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    out.push_back(text.substr(start));
    return out;
}

void Decode(const std::string& stream, Outcome& outcome) {
    std::size_t at = 0;
    while (at + 5 <= stream.size()) {
        const char kind = stream[at];
        std::uint32_t length;
        std::memcpy(&length, stream.data() + at + 1, 4);
        if (at + 5 + length > stream.size()) break;
        const std::string payload = stream.substr(at + 5, length);
        at += 5 + length;
        switch (kind) {
            case kBox: {
                auto parts = Split(payload, 3);
                if (parts.size() == 3) outcome.boxes.push_back({parts[2], std::stoi(parts[0]), parts[1]});
                break;
            }
            case kNote:
                outcome.notes.push_back(payload);
                break;
            case kValue: {
                auto parts = Split(payload, 2);
                if (parts.size() == 2) outcome.values[parts[0]] = parts[1];
                break;
            }
            case kFailure:
                outcome.failure = payload;
                break;
            case kDone:
                outcome.bodyReturned = true;
                break;
            default:
                break;
        }
    }
}

}  // namespace

void Child::Send(char kind, const std::string& payload) {
    std::string record(1, kind);
    const auto length = static_cast<std::uint32_t>(payload.size());
    record.append(reinterpret_cast<const char*>(&length), 4);
    record += payload;
    WriteAll(channel_, record.data(), record.size());
}

void Child::Note(const std::string& note) {
    Send(kNote, note);
}
void Child::Set(const std::string& key, const std::string& value) {
    Send(kValue, key + kSeparator + value);
}
void Child::DropServerConnections() {
    keepServerSide = false;
    const std::uint64_t one = 1;
    if (dropRequest >= 0 && ::write(dropRequest, &one, sizeof one) < 0) return;
    WaitForOpenServerConnections(0);
}

void Child::CutServerConnectionsSilently() {
    keepServerSide = true;
    // No wait for the count to fall: the program may reconnect at once.
    const std::uint64_t one = 1;
    (void)!::write(dropRequest, &one, sizeof one);
}

int Child::OpenServerConnections() const {
    return openConnections.load();
}
int Child::AcceptedServerConnections() const {
    return acceptedConnections.load();
}

bool Child::WaitForOpenServerConnections(int count, std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (openConnections.load() != count) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string Outcome::Value(const std::string& key) const {
    auto it = values.find(key);
    return it == values.end() ? "<unset>" : it->second;
}

std::vector<std::string> Outcome::Prompts() const {
    std::vector<std::string> prompts;
    for (const Box& b : boxes) prompts.push_back(b.prompt);
    return prompts;
}

Outcome RunInSandbox(const Options& options, const std::function<void(Child&)>& body) {
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::close(channel[0]);
        ChildMain(options, body, channel[1]);
    }
    ::close(channel[1]);

    std::string stream;
    char buffer[4096];
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    for (;;) {
        pollfd fd{channel[0], POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) == 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        stream.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    Outcome outcome;
    outcome.exitedNormally = WIFEXITED(status);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Decode(stream, outcome);
    return outcome;
}

bool Available() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(::unshare(CLONE_NEWNET) == 0 ? 0 : 1);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace sandbox
