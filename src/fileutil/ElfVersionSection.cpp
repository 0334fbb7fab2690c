// The version section of an ELF file (32 or 64 bit, little-endian), found by its name.
#include <string_view>

#include "fileutil/ByteView.h"
#include "fileutil/VersionResource.h"

namespace fileutil {

namespace {

constexpr std::uint32_t kNoBits = 8;              // SHT_NOBITS: a section without file contents
constexpr std::uint16_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX: the real index is in section 0

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint32_t link = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

struct ElfLayout {
    ByteView file;
    bool wide;  // 64-bit headers
    std::uint64_t tableOffset;
    std::uint64_t entrySize;

    std::optional<Section> At(std::uint64_t index) const {
        const std::uint64_t header = tableOffset + index * entrySize;
        if (!file.Has(header, wide ? 64 : 40)) return std::nullopt;
        Section s;
        s.name = *file.U32(header);
        s.type = *file.U32(header + 4);
        if (wide) {
            s.offset = *file.U64(header + 24);
            s.size = *file.U64(header + 32);
            s.link = *file.U32(header + 40);
        } else {
            s.offset = *file.U32(header + 16);
            s.size = *file.U32(header + 20);
            s.link = *file.U32(header + 24);
        }
        return s;
    }
};

}  // namespace

std::optional<std::span<const std::uint8_t>> FindElfVersionSection(std::span<const std::uint8_t> bytes) {
    const ByteView file(bytes);
    if (file.size() < 64 || file.U32(0) != 0x464C457Fu) return std::nullopt;  // "\x7fELF"
    const auto elfClass = *file.U8(4);
    if (*file.U8(5) != 1 || (elfClass != 1 && elfClass != 2)) return std::nullopt;  // little-endian only
    const bool wide = elfClass == 2;
    const std::uint64_t tableOffset = wide ? *file.U64(0x28) : *file.U32(0x20);
    const std::uint64_t entrySize = *file.U16(wide ? 0x3A : 0x2E);
    std::uint64_t count = *file.U16(wide ? 0x3C : 0x30);
    std::uint64_t namesIndex = *file.U16(wide ? 0x3E : 0x32);
    if (tableOffset == 0 || entrySize < (wide ? 64u : 40u)) return std::nullopt;
    const ElfLayout layout{file, wide, tableOffset, entrySize};

    // Files with very many sections keep the count and the names index in section 0.
    if (count == 0 || namesIndex == kExtendedIndex) {
        const auto first = layout.At(0);
        if (!first) return std::nullopt;
        if (count == 0) count = first->size;
        if (namesIndex == kExtendedIndex) namesIndex = first->link;
    }
    // The whole table must lie in the file: this also bounds the loop below.
    if (count == 0 || count > file.size() / entrySize || !file.Has(tableOffset, count * entrySize)) return std::nullopt;
    if (namesIndex >= count) return std::nullopt;
    const auto names = layout.At(namesIndex);
    if (!names || names->type == kNoBits) return std::nullopt;
    const auto nameTable = file.Slice(names->offset, names->size);
    if (!nameTable) return std::nullopt;
    const std::string_view nameText(reinterpret_cast<const char*>(nameTable->data()), nameTable->size());
    const std::string_view wanted(kElfVersionSection);

    for (std::uint64_t i = 0; i < count; ++i) {
        const auto section = layout.At(i);
        if (!section) return std::nullopt;
        if (section->name >= nameText.size()) continue;
        const std::string_view rest = nameText.substr(section->name);
        const std::string_view name = rest.substr(0, rest.find('\0'));
        if (name != wanted || section->type == kNoBits) continue;
        return file.Slice(section->offset, section->size);
    }
    return std::nullopt;
}

}  // namespace fileutil
