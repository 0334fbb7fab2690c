#include "support/OwnServer.h"

#include <signal.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {
std::string ServerScript() {
    const char* source = std::getenv("NUTV_SOURCE_DIR");
    if (!source) throw std::runtime_error("NUTV_SOURCE_DIR is not set: run the test through ctest");
    return std::string(source) + "/scripts/mariadb-server";
}
}  // namespace

OwnServer::OwnServer(std::string address) : address_(std::move(address)) {
    const std::string start =
        "NUTV_DB_ADDRESSES=" + address_ + " '" + ServerScript() + "' start '" + dir_.path() + "' --tmpfs >/dev/null";
    if (std::system(start.c_str()) != 0) throw std::runtime_error("could not start a server on " + address_);
    pid_ = static_cast<pid_t>(std::stol(ReadFile(dir_ / "mysqld.pid")));
}

OwnServer::~OwnServer() {
    Resume();
    const std::string stop = "'" + ServerScript() + "' stop '" + dir_.path() + "' >/dev/null";
    if (std::system(stop.c_str()) != 0) ::kill(pid_, SIGKILL);
}

void OwnServer::Freeze() const {
    ::kill(pid_, SIGSTOP);
}

void OwnServer::Resume() const {
    ::kill(pid_, SIGCONT);
}

}  // namespace testsupport
