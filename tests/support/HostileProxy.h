#pragma once
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "support/TestEnvironment.h"

namespace testsupport {

// A file of the development build's test certificates (server.pem, server.key,
// server-other-ca.pem, server-expired.pem; cmake/DevelopmentAuthority.cmake).
inline std::string TestCertificate(const std::string& name) {
    return std::string(NUTV_DB_TEST_CERTIFICATES) + "/" + name;
}

// The hostile proxy (tests/support/hostile_proxy.py) in a process of its own, on port 3306
// of `address`, relaying to the test server; `options` are its own (--tls, --no-tls,
// --wanted). Stopped when it goes.
class HostileProxy {
public:
    HostileProxy(const std::string& address_, const std::string& options) : address(address_) {
        const std::string proxy = std::string(std::getenv("NUTV_SOURCE_DIR")) + "/tests/support/hostile_proxy.py";
        process_ = ::popen(
            ("exec /usr/bin/python3 '" + proxy + "' " + address + " '" + Record() + "' " + options).c_str(), "r");
        char pid[16] = {};
        if (!process_ || !std::fgets(pid, sizeof pid, process_)) throw std::runtime_error("the proxy did not start");
        pid_ = std::atoi(pid);
    }
    ~HostileProxy() {
        ::kill(pid_, SIGKILL);
        ::pclose(process_);
    }
    HostileProxy(const HostileProxy&) = delete;
    HostileProxy& operator=(const HostileProxy&) = delete;

    // Every byte that clients sent it (as read inside its TLS when it speaks TLS itself).
    std::string Received() const { return ReadFile(Record()); }

    // --tls with a certificate for the test addresses from another authority / expired.
    static std::string OtherAuthority() {
        return "--tls '" + TestCertificate("server-other-ca.pem") + "' '" + TestCertificate("server.key") + "'";
    }
    static std::string Expired() {
        return "--tls '" + TestCertificate("server-expired.pem") + "' '" + TestCertificate("server.key") + "'";
    }
    // --tls with the test server's own certificate.
    static std::string Trusted() {
        return "--tls '" + TestCertificate("server.pem") + "' '" + TestCertificate("server.key") + "'";
    }

    const std::string address;

private:
    std::string Record() const { return dir_.path() + "/received"; }

    TempDir dir_;
    FILE* process_ = nullptr;
    pid_t pid_ = 0;
};

}  // namespace testsupport
