#pragma once
#include <cstdint>
#include <optional>
#include <span>

// Finds the raw version block (VS_VERSIONINFO layout) inside the bytes of a program file:
// the RT_VERSION resource of a Windows PE file, or the version section our own ELF
// executables carry. The bytes may be damaged or hostile: every offset is checked.
namespace fileutil {

// The ELF section our executables carry their version block in (not loaded at run time).
inline constexpr const char* kElfVersionSection = ".nutv_version";

// The block as a view into the file's bytes, or nothing when the file has none.
std::optional<std::span<const std::uint8_t>> FindVersionBlock(std::span<const std::uint8_t> file);

std::optional<std::span<const std::uint8_t>> FindPeVersionResource(std::span<const std::uint8_t> file);
std::optional<std::span<const std::uint8_t>> FindElfVersionSection(std::span<const std::uint8_t> file);

}  // namespace fileutil
