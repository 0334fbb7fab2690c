#include "autoupdate/ExecutableCheck.h"

#include <elf.h>

#include <cmath>

#include "autoupdate/UpdateNames.h"
#include "autoupdate/UpdateSignature.h"
#include "common/VbError.h"
#include "common/VbNumbers.h"
#include "fileutil/ByteView.h"
#include "fileutil/VersionLines.h"
#include "fileutil/VersionResource.h"
#include "platform/MappedFile.h"

namespace update {

namespace {

constexpr const char* kOurProduct = "누리Tarn_To_누리Velm";

struct Machine {
    std::uint8_t elfClass = 0;
    std::uint16_t machine = 0;
};

// The ELF class and machine of the running program: what a replacement must match.
Machine OwnMachine() {
    static const Machine own = [] {
        const platform::MappedFile self("/proc/self/exe");
        const fileutil::ByteView file(self.ok() ? self.bytes() : std::span<const std::uint8_t>());
        return Machine{file.U8(EI_CLASS).value_or(0), file.U16(0x12).value_or(0)};
    }();
    return own;
}

// A little-endian ELF executable for this machine whose program headers and section
// table all lie inside the file: a body cut short loses its section table at the end.
bool WholeExecutableForThisMachine(const fileutil::ByteView& file) {
    if (file.size() < 64 || file.U32(0) != 0x464C457Fu || file.U8(EI_DATA) != ELFDATA2LSB) return false;
    const Machine own = OwnMachine();
    if (own.machine == 0 || file.U8(EI_CLASS) != own.elfClass || file.U16(0x12) != own.machine) return false;
    const auto type = file.U16(0x10);
    if (type != ET_EXEC && type != ET_DYN) return false;
    const bool wide = own.elfClass == ELFCLASS64;
    const std::uint64_t headersAt = wide ? *file.U64(0x20) : *file.U32(0x1C);
    const std::uint64_t sectionsAt = wide ? *file.U64(0x28) : *file.U32(0x20);
    const std::uint64_t headerSize = *file.U16(wide ? 0x36 : 0x2A), headers = *file.U16(wide ? 0x38 : 0x2C);
    const std::uint64_t sectionSize = *file.U16(wide ? 0x3A : 0x2E), sections = *file.U16(wide ? 0x3C : 0x30);
    if (headers == 0 || headerSize < (wide ? 56u : 32u) || !file.Has(headersAt, headers * headerSize)) return false;
    if (sections == 0 || !file.Has(sectionsAt, sections * sectionSize)) return false;
    for (std::uint64_t i = 0; i < headers; ++i) {
        const std::uint64_t at = headersAt + i * headerSize;
        const std::uint64_t offset = wide ? *file.U64(at + 8) : *file.U32(at + 4);
        const std::uint64_t size = wide ? *file.U64(at + 32) : *file.U32(at + 16);
        if (!file.Has(offset, size)) return false;
    }
    return true;
}

std::string FieldValue(const std::u16string& block, const std::string& name) {
    const std::string line = fileutil::VersionFieldLine(block, name);
    const std::string notSpecified = name + ": Not specified";
    return line == notSpecified ? std::string() : line.substr(name.size() + 2);
}

std::optional<std::int64_t> RevisionFromVersion(const std::string& version) {
    const std::string last = RevisionText(version);
    if (last.empty() || last.size() > 9 || last.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(last);
}

}  // namespace

Verdict CheckExecutable(const std::string& path, const Expectation& expected) {
    const platform::MappedFile mapped(path);
    if (!mapped.ok()) return Verdict::NotAProgram;
    const fileutil::ByteView file(mapped.bytes());
    if (!WholeExecutableForThisMachine(file)) return Verdict::NotAProgram;
    const auto block = fileutil::FindElfVersionSection(mapped.bytes());
    if (!block) return Verdict::NotAProgram;
    const std::u16string text = fileutil::BlockCharacters(*block);
    if (FieldValue(text, "ProductName") != kOurProduct) return Verdict::NotAProgram;
    if (FieldValue(text, "OriginalFilename") != expected.fileName) return Verdict::WrongName;
    const auto revision = RevisionFromVersion(FieldValue(text, "FileVersion"));
    if (!revision || (expected.revision && *revision != *expected.revision) ||
        (expected.newerThan && *revision <= *expected.newerThan))
        return Verdict::WrongRevision;
    if (expected.publicKey.empty()) return Verdict::Accepted;
    if (!expected.signature) return Verdict::MissingSignature;
    return SignatureMatches(mapped.bytes(), *expected.signature, expected.publicKey) ? Verdict::Accepted
                                                                                     : Verdict::BadSignature;
}

std::optional<std::int64_t> RevisionOf(const std::string& path) {
    const platform::MappedFile mapped(path);
    if (!mapped.ok()) return std::nullopt;
    const auto block = fileutil::FindVersionBlock(mapped.bytes());
    if (!block) return std::nullopt;
    return RevisionFromVersion(FieldValue(fileutil::BlockCharacters(*block), "FileVersion"));
}

std::optional<std::int64_t> AnnouncedRevision(const std::string& latestText) {
    try {
        const double value = vbnum::Val(latestText);
        if (!(value >= 0 && value < 1e9)) return std::nullopt;
        return vbnum::CLng(value);
    } catch (const VbError&) {
        return std::nullopt;  // a number beyond any revision
    }
}

std::string SignatureName(const std::string& name) {
    return name + kSignatureSuffix;
}

}  // namespace update
