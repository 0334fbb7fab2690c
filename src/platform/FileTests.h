#pragma once
#include <string>

// File tests with the meaning the program gives them.
namespace platform {

// True when the path names a regular file (links followed) that a plain directory
// listing shows: hidden files, whose names begin with ".", do not count, nor folders.
bool VisibleFileExists(const std::string& path);

// Adds execute permission wherever the file grants read permission (like chmod a+X
// for readers), so a downloaded program can be started. False when that failed.
bool MakeExecutable(const std::string& path);

}  // namespace platform
