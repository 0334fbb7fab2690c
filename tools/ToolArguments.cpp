#include "ToolArguments.h"

#include "platform/ExecutablePath.h"

namespace update {

std::optional<ToolArguments> ParseToolArguments(int argc, char** argv) {
    std::string joined;
    for (int i = 1; i < argc; ++i) joined += (i > 1 ? " " : "") + std::string(argv[i]);
    const auto semicolon = joined.find(';');
    if (semicolon == std::string::npos) return std::nullopt;
    return ToolArguments{joined.substr(0, semicolon), joined.substr(semicolon + 1)};
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string ToolFolder() {
    return platform::FolderOf(platform::RunningExecutablePath());
}

}  // namespace update
