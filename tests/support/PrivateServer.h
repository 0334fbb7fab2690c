#pragma once
#include <sys/types.h>

#include <string>

#include "support/TestEnvironment.h"

namespace testsupport {

// A MariaDB server of the test's own, for faults that must not touch the shared test
// server (a global setting, a stopped process, a restart). The calling thread, and every
// thread or process it starts from then on, moves into a network namespace of its own,
// where this server answers on 127.0.0.1-3:3306 with the harness's accounts: the
// program's built-in central server address and the Admin* helpers reach it unchanged.
// The end of the scope stops the server and returns to the test's network.
class PrivateServer {
public:
    PrivateServer();
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // Whether this process may make network namespaces (root in its own namespace).
    static bool Available();

    // Stops every thread of the server (SIGSTOP) / lets it go on (SIGCONT).
    void Freeze();
    void Thaw();
    // Stops the server and starts a new run of it on the same data.
    void Restart();

private:
    pid_t Pid() const;
    void Script(const std::string& command) const;

    int outerNetwork_ = -1;
    TempDir dir_;
    bool frozen_ = false;
};

}  // namespace testsupport
