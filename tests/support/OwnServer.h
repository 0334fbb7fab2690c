#pragma once
#include <sys/types.h>

#include <string>

#include "support/TestEnvironment.h"

namespace testsupport {

// A MariaDB server of the test's own (scripts/mariadb-server), on port 3306 of one more
// loopback address as the program expects of every customer server, with the accounts
// of the shared one. For faults that must not reach the servers other tests share: a
// frozen process, a global setting. Resumed and stopped when it goes.
class OwnServer {
public:
    explicit OwnServer(std::string address);
    ~OwnServer();
    OwnServer(const OwnServer&) = delete;
    OwnServer& operator=(const OwnServer&) = delete;

    const std::string& address() const { return address_; }
    void Freeze() const;  // SIGSTOP: the process no longer answers anything
    void Resume() const;  // SIGCONT

private:
    TempDir dir_;
    std::string address_;
    pid_t pid_ = 0;
};

}  // namespace testsupport
