#pragma once
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

private:
    std::optional<platform::ChildProcess> process_;
    std::string log_;
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
