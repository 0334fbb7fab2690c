#pragma once
#include <memory>
#include <string>

// The desktop's keyring, where the login dialog remembers the password: one secret per
// service and key. The window layer installs the real one at start-up; while none is
// installed, no keyring answers.
class PasswordKeyring {
public:
    enum class Answer {
        Done,
        NotFound,     // the keyring answered: it holds nothing under that key
        Unavailable,  // no keyring answered, or it refused (locked, denied)
    };
    struct Secret {
        Answer answer = Answer::Unavailable;
        std::string text;
    };

    virtual ~PasswordKeyring() = default;
    virtual Secret Read(const std::string& service, const std::string& key) = 0;
    virtual Answer Write(const std::string& service, const std::string& key, const std::string& secret) = 0;
    // Removing a secret that is not there is done as well.
    virtual Answer Delete(const std::string& service, const std::string& key) = 0;
};

// Installs the keyring the program uses and returns the one it replaces (null for none).
std::unique_ptr<PasswordKeyring> SetPasswordKeyring(std::unique_ptr<PasswordKeyring> keyring);

// The installed keyring, or, with none installed, one that answers Unavailable to everything.
PasswordKeyring& InstalledPasswordKeyring();
