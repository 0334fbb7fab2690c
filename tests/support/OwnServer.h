#pragma once
#include <signal.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "support/TestEnvironment.h"

namespace testsupport {

// A MariaDB server of the test's own (scripts/mariadb-server) on port 3306 of another
// loopback address, with the shared server's accounts: for faults no other test may
// meet (SIGSTOP, a global setting). Resumed and stopped when it goes.
struct OwnServer {
    // `environment`: more settings for the script, such as "NUTV_DB_TIME_ZONE=+09:00".
    explicit OwnServer(std::string address_, const std::string& environment = {}) : address(std::move(address_)) {
        if (Script("NUTV_DB_ADDRESSES=" + address + " " + environment, "start", "--tmpfs") != 0)
            throw std::runtime_error("could not start a server on " + address);
        pid = std::stoi(ReadFile(dir / "mysqld.pid"));
    }
    ~OwnServer() {
        ::kill(pid, SIGCONT);
        Script("", "stop", "");
    }
    int Script(const std::string& environment, const std::string& command, const std::string& option) const {
        const std::string script = "\"$NUTV_SOURCE_DIR/scripts/mariadb-server\" ";  // NUTV_SOURCE_DIR: set by ctest
        return std::system(
            (environment + " " + script + command + " '" + dir.path() + "' " + option + " >/dev/null").c_str());
    }

    TempDir dir;
    std::string address;
    pid_t pid = 0;
};

}  // namespace testsupport
