#include "datalayer/odbc/RowPipe.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace ado::odbc {

namespace {

// The folder for the pipe: TMPDIR when its path is plain enough to be quoted as it is.
std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    if (!tmp || *tmp != '/') return "/tmp";
    for (const char* c = tmp; *c; ++c) {
        const bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                           *c == '/' || *c == '.' || *c == '_' || *c == '-';
        if (!plain) return "/tmp";
    }
    return tmp;
}

// False when nobody reads the rest.
bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

RowPipe::RowPipe() {
    std::string pattern = TempFolder() + "/nutv-load-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) throw std::runtime_error("mkdtemp");
    folder_ = buffer.data();
    path_ = folder_ + "/rows";
    if (::mkfifo(path_.c_str(), 0600) != 0) {
        ::rmdir(folder_.c_str());
        throw std::runtime_error("mkfifo");
    }
}

RowPipe::~RowPipe() {
    Finish();
    ::unlink(path_.c_str());
    ::rmdir(folder_.c_str());
}

void RowPipe::Start(Producer producer) {
    Finish();
    written_ = std::make_shared<std::atomic<bool>>(false);
    writer_ = std::thread([path = path_, producer = std::move(producer), written = written_] {
        // A reader that stops early makes writes fail with EPIPE; the signal that comes
        // with it is kept from the process and taken back before the thread ends.
        sigset_t pipeSignal;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
        // Waits for the reader: the driver, or Finish when the driver never came.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        bool broken = fd < 0;
        if (!broken) ::fcntl(fd, F_SETPIPE_SZ, 1024 * 1024);  // lets the writer run further ahead
        producer([fd, &broken](const std::string& piece) {
            if (!broken) broken = !WriteAll(fd, piece);
        });
        if (fd >= 0) ::close(fd);
        written->store(true);
        const timespec now{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &now) == SIGPIPE) {
        }
    });
}

void RowPipe::Finish() {
    if (!writer_.joinable()) return;
    // The reader is done with the pipe (or never came): open it as the reader, so the
    // writer is never left waiting for one, and drain it until the writer closes. A drain
    // that ends before the writer has even opened the pipe is done again.
    while (!written_->load()) {
        const int drain = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (drain < 0) break;
        const int flags = ::fcntl(drain, F_GETFL);
        ::fcntl(drain, F_SETFL, flags & ~O_NONBLOCK);
        char sink[65536];
        while (true) {
            const ssize_t n = ::read(drain, sink, sizeof sink);
            if (n > 0 || (n < 0 && errno == EINTR)) continue;
            break;
        }
        ::close(drain);
        std::this_thread::yield();
    }
    writer_.join();
}

}  // namespace ado::odbc
