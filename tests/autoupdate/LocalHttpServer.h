#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"

namespace testsupport {

// A real HTTP server on 127.0.0.1 (tests/autoupdate/http_server.py) serving a folder;
// stopped at the end of its scope. Port 0 lets it pick a free port.
class LocalHttpServer {
public:
    LocalHttpServer(const std::string& root, int port = 0);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
    // The download folder on this server ("/download/자동업데이트_v1/").
    std::string DownloadUrl() const;
    // Requests so far, one per entry: path as sent, User-Agent, Cache-Control, Pragma (tab-separated).
    std::vector<std::string> Requests() const;
    // The requests whose path ends in `suffix`.
    int CountRequests(const std::string& suffix) const;
    // From now on the file of that name is served with the fault (see http_server.py:
    // cut, html, empty, huge, trickle, rising:<a>:<b>).
    void Misbehave(const std::string& fileName, const std::string& fault);
    // The bytes the last endless body sent before the client hung up; 0 when none ended.
    long long EndlessBytesSent() const;

private:
    std::optional<platform::ChildProcess> process_;
    std::string root_;
    std::string log_;
    std::map<std::string, std::string> faults_;
    int port_ = 0;
};

// The folder under a server root that holds the download folder's files.
std::string DownloadFolderUnder(const std::string& root);

// The port of the built-in download server when it is http://127.0.0.1:<port> (tests can
// then play it), else nothing.
std::optional<int> BuiltInLocalDownloadPort();

// A port on 127.0.0.1 on which nothing listens (bound, then released).
int UnusedPort();

}  // namespace testsupport
