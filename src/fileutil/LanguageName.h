#pragma once
#include <string>

// The English name of the language of a version block's string table.
namespace fileutil {

// The name for the first four characters of the code (a Windows language identifier in
// hexadecimal, any letter case), or "" when the table does not know them.
std::string LanguageName(const std::string& code);

}  // namespace fileutil
