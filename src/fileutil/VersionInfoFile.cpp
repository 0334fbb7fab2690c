#include "fileutil/VersionInfoFile.h"

#include "fileutil/VersionResource.h"
#include "platform/MappedFile.h"

namespace fileutil {

std::vector<std::uint8_t> ReadVersionBlock(const std::string& path) {
    // Mapped rather than read: program files can be large and only a little of them is needed.
    const platform::MappedFile file(path);
    if (!file.ok()) return {};
    const auto block = FindVersionBlock(file.bytes());
    if (!block) return {};
    return std::vector<std::uint8_t>(block->begin(), block->end());
}

}  // namespace fileutil
