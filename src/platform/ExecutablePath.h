#pragma once
#include <string>

// Where the running program lives, as the kernel knows it.
namespace platform {

// The full path of the running executable (symbolic links resolved); "" if unknown.
std::string RunningExecutablePath();

// The folder part of a path: no trailing "/" except for the root itself.
std::string FolderOf(const std::string& path);

// The last component of a path.
std::string FileNameOf(const std::string& path);

}  // namespace platform
