#pragma once
#include <sys/types.h>

#include <optional>
#include <string>

// An account as the password database knows it (not as the environment says).
namespace platform {

struct AccountEntry {
    std::string name;
    std::string home;
};

// The entry of the account; nothing when the database has none.
std::optional<AccountEntry> AccountEntryOf(uid_t account);

}  // namespace platform
