#include "autoupdate/PendingProgram.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateNames.h"

namespace update {

namespace {
std::optional<std::string> ReadSignature(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxSignatureBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(kMaxSignatureBytes));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}
}  // namespace

Verdict CheckPendingProgram(const std::string& programFolder, const std::string& programFile,
                            const std::string& publicKey) {
    const std::string pending = InFolder(programFolder, kPendingPrefix + programFile);
    Expectation expected;
    expected.fileName = programFile;
    // A program without a readable revision is older than any.
    expected.newerThan = RevisionOf(InFolder(programFolder, programFile)).value_or(-1);
    expected.publicKey = publicKey;
    if (!publicKey.empty()) expected.signature = ReadSignature(SignatureName(pending));
    return CheckExecutable(pending, expected);
}

void RemovePendingProgram(const std::string& programFolder, const std::string& programFile) {
    const std::string pending = InFolder(programFolder, kPendingPrefix + programFile);
    ::unlink(pending.c_str());
    ::unlink(SignatureName(pending).c_str());
}

}  // namespace update
