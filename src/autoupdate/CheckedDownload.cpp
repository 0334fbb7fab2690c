#include "autoupdate/CheckedDownload.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "autoupdate/CurlEasy.h"
#include "autoupdate/DownloadUrl.h"
#include "platform/ExecutablePath.h"

namespace update {

namespace {

constexpr const char* kTemporaryMark = ".download-";
constexpr std::size_t kTemporarySuffixLength = 6;  // mkostemp's XXXXXX

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
    const std::string& path() const { return path_; }

    // Gives the file its mode, flushes it to disk and closes it.
    bool Finish(mode_t mode) {
        const bool written = ::fchmod(fd_, mode) == 0 && ::fsync(fd_) == 0;
        const bool closed = ::close(fd_) == 0;
        fd_ = -1;
        return written && closed;
    }
    // Renames the finished file over the destination (atomic: same folder).
    bool MoveTo(const std::string& destination) {
        if (::rename(path_.c_str(), destination.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
    int fd_ = -1;
};

struct FileSink {
    TemporaryFile& file;
    std::int64_t maxBytes;
    std::int64_t received = 0;
    bool failed = false;
};

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* state) {
    auto& sink = *static_cast<FileSink*>(state);
    const std::size_t n = size * count;
    sink.received += static_cast<std::int64_t>(n);
    if (sink.received > sink.maxBytes) {
        sink.failed = true;
        return 0;  // a body without end (or far too big): stop here, store no more
    }
    std::size_t done = 0;
    while (done < n) {
        const ssize_t written = ::write(sink.file.fd(), data + done, n - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            sink.failed = true;
            return 0;  // disk full or similar: abort the transfer
        }
        done += static_cast<std::size_t>(written);
    }
    return n;
}

struct MemorySink {
    std::string text;
    std::size_t maxBytes;
};

std::size_t KeepInMemory(char* data, std::size_t size, std::size_t count, void* state) {
    auto& sink = *static_cast<MemorySink*>(state);
    const std::size_t n = size * count;
    if (sink.text.size() + n > sink.maxBytes) return 0;
    sink.text.append(data, n);
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

// The limits and where the body goes; false when libcurl refuses any of it.
template <typename Sink>
bool SetUp(CURL* h, const UpdateLimits& limits, std::int64_t maxBytes,
           std::size_t (*write)(char*, std::size_t, std::size_t, void*), Sink& sink) {
    return SetOption(h, CURLOPT_LOW_SPEED_LIMIT, limits.minBytesPerSecond) &&
           SetOption(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.slowWindow.count())) &&
           SetOption(h, CURLOPT_TIMEOUT, static_cast<long>(limits.wholeDownload.count())) &&
           // Refused at once when the server announces more; a body without a length is counted.
           SetOption(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes)) &&
           SetOption(h, CURLOPT_WRITEFUNCTION, write) && SetOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&sink));
}

// A success status, and exactly the announced length when there was one.
bool EndedWhole(CURL* h, std::int64_t received) {
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299) return false;
    curl_off_t announced = -1;
    curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    return announced < 0 || announced == received;
}

}  // namespace

DownloadResult DownloadChecked(const std::string& url, const std::string& destination, const UpdateLimits& limits,
                               const DownloadCheck& check) {
    const std::string name = platform::FileNameOf(destination);
    if (name.empty()) return DownloadResult::Failed;
    const std::string folder = destination.find('/') == std::string::npos ? "." : platform::FolderOf(destination);
    // Hidden and in the same folder, so the final rename is atomic and nobody takes the
    // half-written file for a program.
    TemporaryFile temporary((folder == "/" ? "" : folder) + "/." + name + kTemporaryMark + "XXXXXX");
    if (!temporary.ok()) return DownloadResult::Failed;

    auto request = NewRequest(url);
    FileSink sink{temporary, limits.maxBytes};
    if (!request || !SetUp(request.get(), limits, limits.maxBytes, WriteToFile, sink)) return DownloadResult::NotSetUp;
    CURL* h = request.get();
    if (curl_easy_perform(h) != CURLE_OK || sink.failed || !EndedWhole(h, sink.received)) return DownloadResult::Failed;
    if (!temporary.Finish(ModeFor(destination))) return DownloadResult::Failed;
    if (check && !check(temporary.path())) return DownloadResult::Refused;
    return temporary.MoveTo(destination) ? DownloadResult::Done : DownloadResult::Failed;
}

DownloadResult FetchSmall(const std::string& url, std::size_t maxBytes, const UpdateLimits& limits, std::string& body) {
    auto request = NewRequest(url);
    MemorySink sink{{}, maxBytes};
    if (!request || !SetUp(request.get(), limits, static_cast<std::int64_t>(maxBytes), KeepInMemory, sink))
        return DownloadResult::NotSetUp;
    CURL* h = request.get();
    if (curl_easy_perform(h) != CURLE_OK || !EndedWhole(h, static_cast<std::int64_t>(sink.text.size())))
        return DownloadResult::Failed;
    body = std::move(sink.text);
    return DownloadResult::Done;
}

bool IsTemporaryDownloadName(const std::string& name) {
    const auto mark = name.rfind(kTemporaryMark);
    return name.size() > 1 && name.front() == '.' && mark != std::string::npos && mark > 1 &&
           name.size() == mark + std::char_traits<char>::length(kTemporaryMark) + kTemporarySuffixLength;
}

void RemoveStaleDownloads(const std::string& folder) {
    struct DirCloser {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir.get()))
        if (IsTemporaryDownloadName(entry->d_name)) stale.emplace_back(entry->d_name);
    for (const auto& name : stale) ::unlink(InFolder(folder, name).c_str());
}

}  // namespace update
