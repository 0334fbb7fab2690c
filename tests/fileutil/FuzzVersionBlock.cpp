// libFuzzer target for the version block reader: any bytes, read as a program file and as
// a raw block, must neither crash nor read outside the input, and always give 13 lines.
// Built and run by run-fuzzer (clang only); the tests run it briefly, by hand run it longer.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "fileutil/LanguageName.h"
#include "fileutil/VersionLines.h"
#include "fileutil/VersionResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    if (const auto block = fileutil::FindVersionBlock(input)) {
        if (block->empty() || block->data() < data || block->data() + block->size() > data + size) std::abort();
        if (fileutil::VersionLinesFromBlock(*block).size() != 13) std::abort();
    }
    if (fileutil::VersionLinesFromBlock(input).size() != 13) std::abort();
    fileutil::LanguageName(std::string(reinterpret_cast<const char*>(data), size < 16 ? size : 16));
    return 0;
}
