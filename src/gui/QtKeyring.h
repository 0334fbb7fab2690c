#pragma once
#include "startup/PasswordKeyring.h"

// The desktop's keyring through QtKeychain (Secret Service or KWallet). Never falls back
// to a plain file. Each call waits for its answer in a local event loop that holds the
// user's input back, so the dialog cannot act twice meanwhile; it needs the application
// object, and without one answers Unavailable.
class QtKeyring : public PasswordKeyring {
public:
    Secret Read(const std::string& service, const std::string& key) override;
    Answer Write(const std::string& service, const std::string& key, const std::string& secret) override;
    Answer Delete(const std::string& service, const std::string& key) override;
};
