#include "platform/AccountEntry.h"

#include <pwd.h>

#include <array>

namespace platform {

std::optional<AccountEntry> AccountEntryOf(uid_t account) {
    std::array<char, 16384> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(account, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return std::nullopt;
    return AccountEntry{found->pw_name ? found->pw_name : "", found->pw_dir ? found->pw_dir : ""};
}

}  // namespace platform
