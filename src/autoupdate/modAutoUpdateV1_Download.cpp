#include "autoupdate/modAutoUpdateV1_Download.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "autoupdate/CurlEasy.h"
#include "platform/ExecutablePath.h"

namespace {

constexpr std::size_t kReadSize = 20;  // one read of a version file

struct FirstBytes {
    std::string text;
    bool full = false;
};

std::size_t KeepFirstBytes(char* data, std::size_t size, std::size_t count, void* state) {
    auto& first = *static_cast<FirstBytes*>(state);
    const std::size_t n = size * count;
    const std::size_t take = std::min(n, kReadSize - first.text.size());
    first.text.append(data, take);
    if (take < n) {
        first.full = true;
        return 0;  // the rest is not wanted: end the transfer here
    }
    return n;
}

// A temporary download file: removed unless it was put in place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string pattern) : path_(std::move(pattern)) {
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
        if (fd_ < 0) path_.clear();
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool writeFailed = false;

    // Flushes, closes and renames the file over the destination, with the given mode.
    bool MoveTo(const std::string& destination, mode_t mode) {
        const bool written = ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        if (!written || !closed || ::rename(path_.c_str(), destination.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
};

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* state) {
    auto& file = *static_cast<TemporaryFile*>(state);
    const std::size_t n = size * count;
    std::size_t done = 0;
    while (done < n) {
        const ssize_t written = ::write(file.fd(), data + done, n - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            file.writeFailed = true;
            return 0;  // disk full or similar: abort the transfer
        }
        done += static_cast<std::size_t>(written);
    }
    return n;
}

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread).
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    return 022;
}

// The mode the downloaded file gets: the replaced file's, or what a new file gets here.
mode_t ModeFor(const std::string& destination) {
    struct stat info {};
    if (::stat(destination.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

}  // namespace

std::string OpenUrl(const std::string& url) {
    auto request = update::NewRequest(url);
    if (!request) return {};
    CURL* h = request.get();
    // Always ask the server itself: version files change without their address changing.
    auto headers = update::HeaderList({"Cache-Control: no-cache", "Pragma: no-cache"});
    FirstBytes first;
    curl_easy_setopt(h, CURLOPT_USERAGENT, "VB OpenUrl");
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, KeepFirstBytes);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &first);
    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && first.full)) return first.text;
    return {};
}

bool DownloadFile(const std::string& url, const std::string& destination) {
    const std::string name = platform::FileNameOf(destination);
    if (name.empty()) return false;
    const std::string folder = destination.find('/') == std::string::npos ? "." : platform::FolderOf(destination);
    // Hidden and in the same folder, so the final rename is atomic and nobody takes the
    // half-written file for a program.
    TemporaryFile temporary((folder == "/" ? "" : folder) + "/." + name + ".download-XXXXXX");
    if (!temporary.ok()) return false;

    auto request = update::NewRequest(url);
    if (!request) return false;
    CURL* h = request.get();
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &temporary);
    if (curl_easy_perform(h) != CURLE_OK || temporary.writeFailed) return false;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return false;
    return temporary.MoveTo(destination, ModeFor(destination));
}
