#pragma once
#include <optional>
#include <string>

#include "platform/Process.h"
#include "support/TestEnvironment.h"

namespace testsupport {

// A Secret Service of the test's own: a session bus in a temporary folder (no service is
// started on demand) with an unlocked keyring daemon on it. While it lives,
// DBUS_SESSION_BUS_ADDRESS names its bus, also for processes forked from the test.
class SecretService {
public:
    SecretService();
    ~SecretService();
    SecretService(const SecretService&) = delete;
    SecretService& operator=(const SecretService&) = delete;

    // The secret as the desktop's own tool finds it (schema of QtKeychain: attributes
    // server and user); nothing when the keyring holds none.
    std::optional<std::string> Lookup(const std::string& service, const std::string& key) const;

private:
    void Stop() noexcept;
    // Runs the shell condition until it holds, for 30 s at most; else stops and raises `failure`.
    void WaitOrGiveUp(const std::string& condition, const platform::SpawnOptions& options, const char* failure);

    TempDir dir_;
    std::string address_;
    std::optional<std::string> oldAddress_;
    std::optional<platform::ChildProcess> bus_;
    std::optional<platform::ChildProcess> keyring_;
};

// Every file under a folder, read whole one after another: where no secret may be found.
std::string EverythingUnder(const std::string& folder);

// While it lives, no session bus answers: a desktop without a keyring.
class NoSessionBus {
public:
    NoSessionBus();
    ~NoSessionBus();
    NoSessionBus(const NoSessionBus&) = delete;
    NoSessionBus& operator=(const NoSessionBus&) = delete;

private:
    std::optional<std::string> oldAddress_;
};

}  // namespace testsupport
