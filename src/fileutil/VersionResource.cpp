#include "fileutil/VersionResource.h"

namespace fileutil {

std::optional<std::span<const std::uint8_t>> FindVersionBlock(std::span<const std::uint8_t> file) {
    std::optional<std::span<const std::uint8_t>> block;
    if (file.size() >= 2 && file[0] == 'M' && file[1] == 'Z')
        block = FindPeVersionResource(file);
    else if (file.size() >= 4 && file[0] == 0x7F && file[1] == 'E' && file[2] == 'L' && file[3] == 'F')
        block = FindElfVersionSection(file);
    if (block && block->empty()) return std::nullopt;
    return block;
}

}  // namespace fileutil
