#include "startup/PasswordKeyring.h"

#include <utility>

namespace {

class NoKeyring : public PasswordKeyring {
public:
    Secret Read(const std::string&, const std::string&) override { return {}; }
    Answer Write(const std::string&, const std::string&, const std::string&) override { return Answer::Unavailable; }
    Answer Delete(const std::string&, const std::string&) override { return Answer::Unavailable; }
};

std::unique_ptr<PasswordKeyring>& Installed() {
    static std::unique_ptr<PasswordKeyring> keyring;
    return keyring;
}

}  // namespace

std::unique_ptr<PasswordKeyring> SetPasswordKeyring(std::unique_ptr<PasswordKeyring> keyring) {
    std::swap(Installed(), keyring);
    return keyring;
}

PasswordKeyring& InstalledPasswordKeyring() {
    static NoKeyring none;
    if (PasswordKeyring* keyring = Installed().get()) return *keyring;
    return none;
}
