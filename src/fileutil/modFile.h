#pragma once
#include <optional>
#include <string>
#include <vector>

#include "fileutil/LanguageName.h"

// modFile: the version information a program file carries, as labelled lines, and its
// file version as comparable text. Its error reports name the module "mdlFile".

// The 13 lines "CompanyName: ...", ..., "SpecialBuild: ...", "Language: ..." (a missing
// entry reads "<name>: Not specified"; a block without a string table gives "Language"
// alone). An empty list stands for "no version information".
std::vector<std::string> GetFileVer(const std::string& path);

// The FileVersion value of the file: with keepLastComponent its last component
// formatted as a whole number (1.00.0005 -> 1.00.5), otherwise without its last
// component (1.00.0005 -> 1.00). After an error: reported unless quiet, and the result
// is what the function held then (nothing, or the FileVersion value unchanged).
std::optional<std::string> GetFileVerNumber(const std::string& path, bool keepLastComponent, bool quiet);

using fileutil::LanguageName;
