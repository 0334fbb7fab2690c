#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Our stand-in for the platform's version functions (size, then contents): the raw
// version block of a program file, PE or our own ELF executables.
namespace fileutil {

// The block's bytes; empty when the file cannot be read or carries no version block.
std::vector<std::uint8_t> ReadVersionBlock(const std::string& path);

}  // namespace fileutil
