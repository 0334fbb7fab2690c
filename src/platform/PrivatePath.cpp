#include "platform/PrivatePath.h"

#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <memory>

#include "platform/AccountEntry.h"
#include "platform/ExecutablePath.h"

namespace platform {

namespace {

// A user-private group: named after the account, no other member listed.
bool GroupOfAccountAlone(gid_t group, uid_t account) {
    const auto owner = AccountEntryOf(account);
    const std::string name = owner ? owner->name : "";
    std::array<char, 16384> buffer{};
    struct group entry {};
    struct group* found = nullptr;
    if (name.empty() || ::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        name != found->gr_name)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member)
        if (name != *member) return false;
    return true;
}

bool OthersMayChange(const struct stat& info, uid_t account) {
    if (info.st_uid != account && info.st_uid != 0) return true;
    if (S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) return false;
    if (info.st_mode & S_IWOTH) return true;
    return (info.st_mode & S_IWGRP) && !(info.st_gid == 0 && info.st_uid == 0) &&
           !GroupOfAccountAlone(info.st_gid, account);
}

struct FreeDeleter {
    void operator()(char* text) const { ::free(text); }
};

}  // namespace

std::optional<std::string> ChangeableByOthers(const std::string& path, uid_t account) {
    // The path as written (each folder holding a link counts) and as resolved.
    std::unique_ptr<char, FreeDeleter> resolved(::realpath(path.c_str(), nullptr));
    if (!resolved) return path;
    for (std::string at : {path, std::string(resolved.get())}) {
        for (bool last = true;; last = false) {
            struct stat info {};
            if ((last ? ::stat(at.c_str(), &info) : ::lstat(at.c_str(), &info)) != 0) return at;
            if ((last || S_ISDIR(info.st_mode)) && OthersMayChange(info, account)) return at;
            if (at == "/" || at.find('/') == std::string::npos) break;
            at = FolderOf(at);
        }
    }
    return std::nullopt;
}

}  // namespace platform
