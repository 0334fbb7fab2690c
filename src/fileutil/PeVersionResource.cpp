// The version resource of a Windows PE file: RT_VERSION (16), name 1, first language.
#include "fileutil/ByteView.h"
#include "fileutil/VersionResource.h"

namespace fileutil {

namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionInfoId = 1;  // the one name the version functions look up
constexpr std::uint32_t kHighBit = 0x80000000u;

struct PeImage {
    ByteView file;
    std::uint64_t sectionTable = 0;
    std::uint16_t sectionCount = 0;

    // The file bytes behind an address range of the loaded image, when they all lie in
    // the raw data of one section.
    std::optional<std::span<const std::uint8_t>> AtRva(std::uint64_t rva, std::uint64_t length) const {
        for (std::uint16_t i = 0; i < sectionCount; ++i) {
            const std::uint64_t header = sectionTable + 40ull * i;
            const auto address = file.U32(header + 12);
            const auto rawSize = file.U32(header + 16);
            const auto rawOffset = file.U32(header + 20);
            if (!address || !rawSize || !rawOffset) return std::nullopt;
            if (rva < *address || rva - *address >= *rawSize) continue;
            const std::uint64_t inside = rva - *address;
            if (length > *rawSize - inside) return std::nullopt;
            return file.Slice(*rawOffset + inside, length);
        }
        return std::nullopt;
    }
};

struct DirectoryEntry {
    std::uint32_t name;
    std::uint32_t target;
};

// One entry of the resource directory at `offset` (relative to the resource root):
// the first whose name passes `wanted`.
template <class Wanted>
std::optional<DirectoryEntry> FindEntry(const PeImage& image, std::uint32_t root, std::uint32_t offset, Wanted wanted) {
    const auto header = image.AtRva(static_cast<std::uint64_t>(root) + offset, 16);
    if (!header) return std::nullopt;
    const ByteView h(*header);
    const std::uint32_t count = *h.U16(12) + static_cast<std::uint32_t>(*h.U16(14));
    const auto entries = image.AtRva(static_cast<std::uint64_t>(root) + offset + 16, 8ull * count);
    if (!entries) return std::nullopt;
    const ByteView e(*entries);
    for (std::uint32_t i = 0; i < count; ++i) {
        const DirectoryEntry entry{*e.U32(8ull * i), *e.U32(8ull * i + 4)};
        if (wanted(entry)) return entry;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::span<const std::uint8_t>> FindPeVersionResource(std::span<const std::uint8_t> bytes) {
    PeImage image{ByteView(bytes)};
    const ByteView& file = image.file;
    if (file.U16(0) != 0x5A4D) return std::nullopt;  // "MZ"
    const auto peOffset = file.U32(0x3C);
    if (!peOffset || file.U32(*peOffset) != 0x00004550u) return std::nullopt;  // "PE\0\0"
    const std::uint64_t coff = *peOffset + 4ull;
    const auto sectionCount = file.U16(coff + 2);
    const auto optionalSize = file.U16(coff + 16);
    if (!sectionCount || !optionalSize) return std::nullopt;
    const std::uint64_t optional = coff + 20;
    const auto magic = file.U16(optional);
    std::uint64_t countField, directories;
    if (magic == 0x10B) {
        countField = optional + 92, directories = optional + 96;
    } else if (magic == 0x20B) {
        countField = optional + 108, directories = optional + 112;
    } else {
        return std::nullopt;
    }
    const std::uint64_t resourceEntry = directories + std::uint64_t{2} * 8;  // data directory 2: resources
    const auto directoryCount = file.U32(countField);
    if (!directoryCount || *directoryCount <= 2 || resourceEntry + 8 > optional + *optionalSize) return std::nullopt;
    const auto root = file.U32(resourceEntry);
    if (!root || *root == 0) return std::nullopt;
    image.sectionTable = optional + *optionalSize;
    image.sectionCount = *sectionCount;

    // Three fixed levels (type, name, language), so a hostile directory cannot make us loop.
    const auto isSubdirectory = [](const DirectoryEntry& e) { return (e.target & kHighBit) != 0; };
    const auto type = FindEntry(image, *root, 0, [&](const DirectoryEntry& e) {
        return (e.name & kHighBit) == 0 && e.name == kRtVersion && isSubdirectory(e);
    });
    if (!type) return std::nullopt;
    const auto name = FindEntry(image, *root, type->target & ~kHighBit, [&](const DirectoryEntry& e) {
        return (e.name & kHighBit) == 0 && e.name == kVersionInfoId && isSubdirectory(e);
    });
    if (!name) return std::nullopt;
    const auto language =
        FindEntry(image, *root, name->target & ~kHighBit, [&](const DirectoryEntry& e) { return !isSubdirectory(e); });
    if (!language) return std::nullopt;
    const auto dataEntry = image.AtRva(static_cast<std::uint64_t>(*root) + language->target, 16);
    if (!dataEntry) return std::nullopt;
    const ByteView data(*dataEntry);
    return image.AtRva(*data.U32(0), *data.U32(4));
}

}  // namespace fileutil
