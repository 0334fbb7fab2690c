#include "LocalHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateNames.h"
#include "common/BuiltInValues.h"
#include "support/TestEnvironment.h"

namespace testsupport {

namespace {
std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    char c;
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) throw std::runtime_error("HTTP server did not report its port");
        if (::read(fd, &c, 1) != 1 || c == '\n') return line;
        line += c;
    }
}
}  // namespace

LocalHttpServer::LocalHttpServer(const std::string& root, int port) : root_(root) {
    log_ = root + "/.requests.log";  // hidden: not one of the files served
    WriteFile(log_, "");
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    platform::SpawnOptions options;
    options.standardOutput = pipeFds[1];
    process_ = platform::ChildProcess::Start(
        {"/usr/bin/python3", NUTV_TEST_HTTP_SERVER, "--root", root, "--port", std::to_string(port), "--log", log_},
        options);
    ::close(pipeFds[1]);
    if (!process_) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start the HTTP server");
    }
    try {
        const std::string line = ReadLine(pipeFds[0], 15000);
        ::close(pipeFds[0]);
        if (line.rfind("PORT ", 0) != 0) throw std::runtime_error("HTTP server said: " + line);
        port_ = std::stoi(line.substr(5));
    } catch (...) {
        ::kill(process_->pid(), SIGKILL);
        throw;
    }
}

LocalHttpServer::~LocalHttpServer() {
    if (process_) {
        ::kill(process_->pid(), SIGTERM);
        process_->Wait();
    }
    std::remove(log_.c_str());
    std::remove((root_ + "/.faults.json").c_str());
    std::remove((root_ + "/.huge-sent").c_str());
}

void LocalHttpServer::Misbehave(const std::string& fileName, const std::string& fault) {
    faults_[fileName] = fault;
    std::string json = "{";
    for (const auto& [name, how] : faults_) json += (json.size() > 1 ? ", \"" : "\"") + name + "\": \"" + how + "\"";
    WriteFile(root_ + "/.faults.json", json + "}");
}

long long LocalHttpServer::EndlessBytesSent() const {
    const std::string sent = ReadFile(root_ + "/.huge-sent");
    return sent.empty() ? 0 : std::stoll(sent);
}

std::string LocalHttpServer::DownloadUrl() const {
    return BaseUrl() + update::kDownloadPath;
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(log_));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int LocalHttpServer::CountRequests(const std::string& suffix) const {
    int count = 0;
    for (const auto& request : Requests()) {
        const std::string path = request.substr(0, request.find('\t'));
        if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
            ++count;
    }
    return count;
}

std::string DownloadFolderUnder(const std::string& root) {
    const std::string folder = root + update::kDownloadPath;
    std::filesystem::create_directories(folder);
    return folder.substr(0, folder.size() - 1);
}

std::optional<int> BuiltInLocalDownloadPort() {
    const std::string server = builtin::kDownloadServer;
    const std::string prefix = "http://127.0.0.1:";
    if (server.rfind(prefix, 0) != 0) return std::nullopt;
    return std::stoi(server.substr(prefix.size()));
}

int UnusedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // Port 0 asks the system for a free one; a failure leaves 0, which no server answers.
    const bool bound = ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    const int port = bound ? ntohs(address.sin_port) : 0;
    ::close(s);
    return port;
}

}  // namespace testsupport
