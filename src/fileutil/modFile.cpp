#include "fileutil/modFile.h"

#include "common/ErrorReport.h"
#include "common/ErrorTrap.h"
#include "common/MsgBox.h"
#include "common/VbNumbers.h"
#include "fileutil/VersionInfoFile.h"
#include "fileutil/VersionLines.h"

namespace {

constexpr const char* kModule = "mdlFile";
constexpr const char* kProcedure = "GetFileVer";

void Report(const VbError& error) {
    MsgBox(ErrorReportText(error, kProcedure, ReportOwner::Module, kModule));
}

}  // namespace

std::vector<std::string> GetFileVer(const std::string& path) {
    using namespace fileutil;
    ErrorTrap trap(Report);
    std::vector<std::uint8_t> block;
    trap.Run([&] { block = ReadVersionBlock(path); });
    if (block.empty()) return {};

    std::u16string text;
    std::vector<std::string> names;
    trap.Run([&] {
        text = BlockCharacters(block);
        names = VersionFieldNames();
    });
    if (names.size() != kVersionFieldCount) return {};
    std::vector<std::string> lines(kVersionFieldCount);
    for (std::size_t i = 0; i + 1 < names.size(); ++i) trap.Run([&] { lines[i] = VersionFieldLine(text, names[i]); });
    trap.Run([&] { lines.back() = VersionLanguageLine(text); });
    return lines;
}

std::optional<std::string> GetFileVerNumber(const std::string& path, bool keepLastComponent, bool quiet) {
    std::optional<std::string> result;
    try {
        const auto lines = GetFileVer(path);
        if (lines.size() < 3) throw VbError(vberr::kTypeMismatch, "runtime", vberr::kTypeMismatchText);
        const std::string& line = lines[2];
        const std::size_t space = line.find(' ');
        std::string version = space == std::string::npos ? line : line.substr(space + 1);
        result = version;
        const std::size_t dot = version.rfind('.');
        if (keepLastComponent) {
            const std::size_t head = dot == std::string::npos ? 0 : dot + 1;
            version = version.substr(0, head) + vbnum::FormatWhole(version.substr(head));
        } else {
            // Without a "." there is no last component to drop: the classic runtime refused
            // the negative length here, and that is what callers have always seen.
            if (dot == std::string::npos) throw VbError(5, "runtime", "Invalid procedure call or argument");
            version = version.substr(0, dot);
        }
        result = version;
    } catch (...) {
        if (!quiet) Report(AsVbError(std::current_exception()));
    }
    return result;
}
