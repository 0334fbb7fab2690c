#pragma once
#include <memory>

#include "startup/PasswordKeyring.h"

namespace testsupport {

// The program's own keyring (QtKeychain) installed for the test's scope, with the Qt
// application object it needs (made once per process when there is none yet).
class QtKeyringInstalled {
public:
    QtKeyringInstalled();
    ~QtKeyringInstalled();
    QtKeyringInstalled(const QtKeyringInstalled&) = delete;
    QtKeyringInstalled& operator=(const QtKeyringInstalled&) = delete;

private:
    std::unique_ptr<PasswordKeyring> previous_;
};

}  // namespace testsupport
