#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads the standard version strings out of a raw version block by searching its text
// for the keys, the way the program has always read them (not by walking the tree).
namespace fileutil {

// The 13 line names, "Language" last.
inline constexpr const char* kVersionFieldList =
    "CompanyName;FileDescription;FileVersion;InternalName;LegalCopyright;OriginalFilename;ProductName;"
    "ProductVersion;Comments;LegalTrademarks;PrivateBuild;SpecialBuild;Language";
inline constexpr std::size_t kVersionFieldCount = 13;

std::vector<std::string> VersionFieldNames();

// The block as a sequence of 16-bit little-endian characters (an odd last byte is dropped).
std::u16string BlockCharacters(std::span<const std::uint8_t> block);

// "<name>: <value>" for the first string entry with that key, or "<name>: Not specified".
std::string VersionFieldLine(const std::u16string& block, const std::string& name);

// "Language: <English name of the string table's language>", or "Language" alone when the
// block has no string table.
std::string VersionLanguageLine(const std::u16string& block);

// All 13 lines of a block.
std::vector<std::string> VersionLinesFromBlock(std::span<const std::uint8_t> block);

}  // namespace fileutil
