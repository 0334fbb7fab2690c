#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Writes a version block in the VS_VERSIONINFO layout: a fixed file-info record, one
// string table and the translation list. The build puts it into our executables; tests
// use it to make blocks with exactly the entries a case needs.
namespace fileutil {

struct VersionBlockContent {
    std::array<std::uint16_t, 4> fileVersion{};  // major, minor, build, revision
    std::array<std::uint16_t, 4> productVersion{};
    // The string table's key (language and code page, e.g. "041204B0"); no table at all when empty.
    std::optional<std::string> stringTableKey = "041204B0";
    std::vector<std::pair<std::string, std::string>> strings;  // key, value (UTF-8), in this order
    std::optional<std::uint32_t> translation = 0x04B00412;     // code page << 16 | language
};

std::vector<std::uint8_t> BuildVersionBlock(const VersionBlockContent& content);

// "1.2.3.4" (missing or non-numeric parts are 0) as the four parts of a version.
std::array<std::uint16_t, 4> ParseVersionParts(const std::string& text);

}  // namespace fileutil
