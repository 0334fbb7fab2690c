#pragma once
#include <sys/types.h>

#include <optional>
#include <string>

// Whether a file (or folder) can be changed by nobody but one account and root: the file
// and every folder above it belong to that account or to root, and none lets another
// account write. A folder with the sticky bit (such as /tmp) lets others add entries of
// their own but not touch ours, and a group made for the account alone counts as its own.
namespace platform {

// The first file or folder on the way to `path` (links followed) that another account
// could change; nothing when there is none. A path that does not exist is reported itself.
std::optional<std::string> ChangeableByOthers(const std::string& path, uid_t account);

}  // namespace platform
