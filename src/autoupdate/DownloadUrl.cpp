#include "autoupdate/DownloadUrl.h"

#include "autoupdate/UpdateNames.h"
#include "common/BuiltInValues.h"

namespace update {

std::string DownloadBaseUrl() {
    return std::string(builtin::kDownloadServer) + kDownloadPath;
}

std::string WireUrl(const std::string& url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string wire;
    for (const char c : url) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            wire += '%';
            wire += kHex[byte >> 4];
            wire += kHex[byte & 0x0F];
        } else {
            wire += c;
        }
    }
    return wire;
}

std::string LatestFileOf(const std::string& programFile) {
    const auto dot = programFile.rfind('.');
    return (dot == std::string::npos || dot == 0 ? programFile : programFile.substr(0, dot)) + kLatestSuffix;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

}  // namespace update
