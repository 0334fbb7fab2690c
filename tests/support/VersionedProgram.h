#pragma once
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Copies an ELF executable, giving the copy a version block for `version` (FileVersion
// and the fixed versions) in the section our readers look in, made for the file name
// `originalName` (default: the copy's own name) as one of our products. Uses objcopy.
void CopyWithVersion(const std::string& source, const std::string& destination, const std::string& version,
                     const std::string& originalName = {});

// Runs a program to its end; its exit code (128 + signal when killed), -1 if it did not start.
int RunProgram(const std::vector<std::string>& argv, const std::string& workingFolder = {});

// Writes an executable shell script.
void WriteScript(const std::string& path, const std::string& body);

}  // namespace testsupport
