#include "support/PrivateServer.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace testsupport {

namespace {
void Run(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status != 0) throw std::runtime_error("failed: " + command);
}

std::string ServerScript() {
    const char* source = std::getenv("NUTV_SOURCE_DIR");
    if (!source) throw std::runtime_error("NUTV_SOURCE_DIR is not set");
    return std::string(source) + "/scripts/mariadb-server";
}
}  // namespace

bool PrivateServer::Available() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(::unshare(CLONE_NEWNET) == 0 ? 0 : 1);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

PrivateServer::PrivateServer() {
    outerNetwork_ = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    if (outerNetwork_ < 0 || ::unshare(CLONE_NEWNET) != 0)
        throw std::runtime_error(std::string("no network namespace: ") + std::strerror(errno));
    Run("ip link set lo up");
    Script("start");
}

PrivateServer::~PrivateServer() {
    try {
        if (frozen_) Thaw();
        Script("stop");
    } catch (const std::exception&) {
        // The folder goes with the scope; a server that would not stop is killed by the script.
    }
    if (outerNetwork_ >= 0) {
        (void)::setns(outerNetwork_, CLONE_NEWNET);
        ::close(outerNetwork_);
    }
}

void PrivateServer::Script(const std::string& command) const {
    Run(ServerScript() + " " + command + " '" + dir_.path() + "' " + (command == "start" ? "--tmpfs" : "") +
        " >/dev/null");
}

pid_t PrivateServer::Pid() const {
    return static_cast<pid_t>(std::stol(ReadFile(dir_ / "mysqld.pid")));
}

void PrivateServer::Freeze() {
    if (::kill(Pid(), SIGSTOP) != 0) throw std::runtime_error("SIGSTOP failed");
    frozen_ = true;
    // The stop reaches each of the server's threads a moment after the signal is sent: a
    // statement sent at once could still be answered.
    ::usleep(200000);
}

void PrivateServer::Thaw() {
    if (::kill(Pid(), SIGCONT) != 0) throw std::runtime_error("SIGCONT failed");
    frozen_ = false;
}

void PrivateServer::Restart() {
    Script("restart");
}

}  // namespace testsupport
