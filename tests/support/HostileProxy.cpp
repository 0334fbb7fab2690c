// A database server that cannot be trusted, run as its own process (so that its sockets
// are never taken for a client's):
//     nutv_hostile_proxy ADDRESS WANTED RECORD
// On ADDRESS:3306 it relays every session to the test server on 127.0.0.1, but answers
// each LOAD DATA statement itself with a request for the file WANTED, then with success.
// Every byte a client sends it is appended to the file RECORD. It prints "ready" once it
// listens.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

namespace {

std::string wanted;
std::string recordPath;
std::mutex recordLock;

void Keep(const std::string& bytes) {
    const std::lock_guard hold(recordLock);
    std::ofstream(recordPath, std::ios::binary | std::ios::app) << bytes;
}

bool ReadAll(int fd, std::string& out, std::size_t n) {
    out.resize(n);
    for (std::size_t done = 0; done < n;) {
        const ssize_t got = ::read(fd, out.data() + done, n - done);
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// One packet of the client: its header and payload, each kept.
bool ReadPacket(int fd, std::string& header, std::string& payload) {
    if (!ReadAll(fd, header, 4)) return false;
    const auto byte = [&header](int i) { return static_cast<std::size_t>(static_cast<unsigned char>(header[i])); };
    if (!ReadAll(fd, payload, byte(0) | byte(1) << 8 | byte(2) << 16)) return false;
    Keep(payload);
    return true;
}

void WriteAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put <= 0) return;
        done += static_cast<std::size_t>(put);
    }
}

std::string Packet(char sequence, const std::string& payload) {
    const std::size_t n = payload.size();
    return std::string{static_cast<char>(n & 0xff), static_cast<char>(n >> 8 & 0xff), static_cast<char>(n >> 16),
                       sequence} +
           payload;
}

sockaddr_in At(const char* address) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(3306);
    ::inet_pton(AF_INET, address, &at.sin_addr);
    return at;
}

void Relay(int client) {
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in to = At("127.0.0.1");
    if (::connect(server, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) ::shutdown(client, SHUT_RDWR);
    // The server's side goes back untouched.
    std::thread back([client, server] {
        char buffer[65536];
        for (ssize_t n; (n = ::read(server, buffer, sizeof buffer)) > 0;) WriteAll(client, std::string(buffer, n));
        ::shutdown(client, SHUT_RDWR);
    });
    // The client's side a packet at a time, so that a LOAD DATA statement can be told.
    std::string header, payload;
    while (ReadPacket(client, header, payload)) {
        if (header[3] != 0 || payload.rfind("\x03LOAD DATA", 0) != 0) {
            WriteAll(server, header + payload);
            continue;
        }
        // The file request, whatever the statement named; then whatever comes, up to the
        // empty packet that ends a file; then success.
        WriteAll(client, Packet(1, "\xfb" + wanted));
        while (ReadPacket(client, header, payload) && !payload.empty()) {
        }
        WriteAll(client, Packet(static_cast<char>(header[3] + 1), std::string("\x00\x00\x00\x03\x00\x00\x00", 7)));
    }
    ::shutdown(server, SHUT_RDWR);
    back.join();
    ::close(server);
    ::close(client);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    wanted = argv[2];
    recordPath = argv[3];
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const sockaddr_in at = At(argv[1]);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || ::listen(listener, 8) != 0)
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (int client; (client = ::accept(listener, nullptr, nullptr)) >= 0;) std::thread(Relay, client).detach();
    return 0;
}
