#include "support/SecretService.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

namespace testsupport {

namespace {

constexpr const char* kAddressVariable = "DBUS_SESSION_BUS_ADDRESS";

std::optional<std::string> SwapAddress(const std::optional<std::string>& address) {
    std::optional<std::string> old;
    if (const char* value = std::getenv(kAddressVariable)) old = value;
    if (address)
        ::setenv(kAddressVariable, address->c_str(), 1);
    else
        ::unsetenv(kAddressVariable);
    return old;
}

// A bus with the session's rules but without the system's service files, so that no
// second keyring daemon is started on demand.
std::string BusConfig(const std::string& socket) {
    return "<busconfig><type>session</type><listen>unix:path=" + socket +
           "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
           "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
}

platform::SpawnOptions Options(std::vector<std::string> environment, int standardOutput = -1) {
    platform::SpawnOptions options;
    options.extraEnvironment = std::move(environment);
    options.standardOutput = standardOutput;
    return options;
}

int RunToEnd(const std::vector<std::string>& argv, const platform::SpawnOptions& options) {
    auto child = platform::ChildProcess::Start(argv, options);
    if (!child) throw std::runtime_error(argv.front() + " cannot be started");
    return child->Wait();
}

}  // namespace

SecretService::SecretService() {
    const std::string socket = dir_ / "bus";
    address_ = "unix:path=" + socket;
    std::filesystem::create_directories(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    WriteFile(dir_ / "bus.conf", BusConfig(socket));
    WriteFile(dir_ / "unlock", "keyring-of-the-test");
    const platform::SpawnOptions own = Options({"XDG_RUNTIME_DIR=" + (dir_ / "run"), "XDG_DATA_HOME=" + (dir_ / "data"),
                                                "HOME=" + dir_.path(), std::string(kAddressVariable) + "=" + address_});
    // Their complaints about limits they may not raise in a test's sandbox stay unseen.
    bus_ = platform::ChildProcess::Start(
        {"sh", "-c", "exec dbus-daemon --config-file=\"$0\" --nofork 2>/dev/null", dir_ / "bus.conf"}, own);
    if (!bus_) throw std::runtime_error("dbus-daemon cannot be started");
    // The keyring looks for its bus once, as it starts: on a busy machine the bus may not be
    // listening yet, and the keyring would then run on no bus at all.
    const std::string busUp = "dbus-send --bus=" + address_ +
                              " --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus"
                              " org.freedesktop.DBus.GetId >/dev/null 2>&1";
    WaitOrGiveUp(busUp, own, "the test's session bus did not come up");
    keyring_ = platform::ChildProcess::Start(
        {"sh", "-c", "exec gnome-keyring-daemon --foreground --unlock --components=secrets <\"$0\" 2>/dev/null",
         dir_ / "unlock"},
        own);
    if (!keyring_) {
        Stop();
        throw std::runtime_error("gnome-keyring-daemon cannot be started");
    }
    // Ready once the keyring's default collection is there and unlocked, not merely once the
    // daemon answers on its bus: a write into a locked collection waits for a prompt that no
    // one answers.
    const std::string ping = "dbus-send --bus=" + address_ +
                             " --print-reply --dest=org.freedesktop.secrets /org/freedesktop/secrets/aliases/default"
                             " org.freedesktop.DBus.Properties.Get string:org.freedesktop.Secret.Collection"
                             " string:Locked 2>/dev/null | grep -q 'boolean false'";
    WaitOrGiveUp(ping, own, "the keyring daemon did not come up on its bus");
    oldAddress_ = SwapAddress(address_);
}

SecretService::~SecretService() {
    SwapAddress(oldAddress_);
    Stop();
}

void SecretService::Stop() noexcept {
    if (keyring_) keyring_->Kill();
    if (bus_) bus_->Kill();
}

// A failure ends both daemons before it is raised: the destructor does not run for an object
// whose constructor threw, and each daemon's own destructor would wait for it for good.
void SecretService::WaitOrGiveUp(const std::string& condition, const platform::SpawnOptions& options,
                                 const char* failure) {
    if (RunToEnd({"timeout", "30", "sh", "-c", "until " + condition + "; do sleep 0.05; done"}, options) == 0) return;
    Stop();
    throw std::runtime_error(failure);
}

std::optional<std::string> SecretService::Lookup(const std::string& service, const std::string& key) const {
    const std::string out = dir_ / "lookup";
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int status = RunToEnd({"timeout", "15", "secret-tool", "lookup", "server", service, "user", key},
                                Options({std::string(kAddressVariable) + "=" + address_}, fd));
    ::close(fd);
    if (status != 0) return std::nullopt;
    return ReadFile(out);
}

std::string EverythingUnder(const std::string& folder) {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) all += ReadFile(entry.path());
    return all;
}

NoSessionBus::NoSessionBus() : oldAddress_(SwapAddress("unix:path=/nonexistent/nutv-no-bus")) {}

NoSessionBus::~NoSessionBus() {
    SwapAddress(oldAddress_);
}

}  // namespace testsupport
