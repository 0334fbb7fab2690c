// The version block of ELF files: our own executables (written at build time), copies
// with another version, hand-made 32- and 64-bit files, and the writer's block checked
// as a genuine Windows version resource.
#include <gtest/gtest.h>

#include "ElfBuilder.h"
#include "FileVersionTestSupport.h"
#include "common/BuiltInValues.h"
#include "fileutil/VersionBlockWriter.h"
#include "fileutil/VersionLines.h"
#include "fileutil/VersionResource.h"
#include "fileutil/modFile.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using namespace fileutil;

TEST(GetFileVerElf, OurExecutablesCarryTheProjectVersion) {
    testsupport::ScriptedMsgBox boxes;
    for (const std::string& path : {std::string(NUTV_UPDPROBE_PATH), std::string(NUTV_SWAPKIT_PATH)}) {
        SCOPED_TRACE(path);
        const auto lines = GetFileVer(path);
        ASSERT_EQ(lines.size(), 13u);
        EXPECT_EQ(lines[2], std::string("FileVersion: ") + builtin::kProgramVersion);
        EXPECT_EQ(lines[5], "OriginalFilename: " + path.substr(path.rfind('/') + 1));
        EXPECT_EQ(lines[6], "ProductName: 누리Tarn_To_누리Velm");
        EXPECT_EQ(lines[12], "Language: Korean");
        EXPECT_EQ(GetFileVerNumber(path, true, true), builtin::kProgramVersion);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(GetFileVerElf, CopyWithAnotherVersionStillRuns) {
    testsupport::TempDir dir;
    testsupport::CopyWithVersion(NUTV_UPDPROBE_PATH, dir / "UpdProbeV1.exe", "1.0.0.0007");
    EXPECT_EQ(GetFileVerNumber(dir / "UpdProbeV1.exe", true, true), "1.0.0.7");
    EXPECT_EQ(GetFileVerNumber(dir / "UpdProbeV1.exe", false, true), "1.0.0");
    EXPECT_EQ(GetFileVer(dir / "UpdProbeV1.exe")[1], "FileDescription: test copy");
    // The section is not loaded, so replacing it leaves a working program (usage: exit code 2).
    EXPECT_EQ(testsupport::RunProgram({dir / "UpdProbeV1.exe"}), 2);
}

TEST(GetFileVerElf, HandMadeElfFilesOfBothClasses) {
    VersionBlockContent content;
    content.strings = {{"FileVersion", "4.3.2.1"}, {"Comments", "32/64"}};
    const auto block = BuildVersionBlock(content);
    for (const bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "ELF64" : "ELF32");
        ElfBuilder builder(wide);
        const auto file = builder.Build({{".text", {0xC3}}, {".nutv_version", block}, {".comment", {'x', 0}}});
        const auto found = FindVersionBlock(file);
        ASSERT_TRUE(found.has_value());
        EXPECT_TRUE(std::equal(found->begin(), found->end(), block.begin(), block.end()));
        const auto lines = VersionLinesFromBlock(*found);
        EXPECT_EQ(lines[2], "FileVersion: 4.3.2.1");
        EXPECT_EQ(lines[8], "Comments: 32/64");
    }
}

TEST(GetFileVerElf, ElfWithoutVersionSection) {
    testsupport::ScriptedMsgBox boxes;
    testsupport::TempDir dir;
    const auto file = ElfBuilder(true).Build({{".text", {0xC3}}, {".nutv_versionX", {1, 2, 3, 4}}});
    testsupport::WriteFile(dir / "plain", std::string(file.begin(), file.end()));
    EXPECT_TRUE(GetFileVer(dir / "plain").empty());
    EXPECT_TRUE(GetFileVer("/bin/sh").empty());
    // A version section without contents (NOBITS) is no version block either.
    EXPECT_FALSE(FindVersionBlock(ElfBuilder(true).Build({{".nutv_version", {1, 2, 3, 4}, 8}})).has_value());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(GetFileVerElf, WriterBlockIsAGenuineVersionResource) {
    // The block our build writes, put into a PE file as its RT_VERSION resource (type 16):
    // pefile must read the same strings from it as we do.
    testsupport::TempDir dir;
    VersionBlockContent content;
    content.fileVersion = content.productVersion = {1, 0, 0, 1};
    content.strings = {{"CompanyName", "누리온"},     {"FileDescription", "변환 프로그램"},
                       {"FileVersion", "1.0.0.1"},    {"InternalName", "conv"},
                       {"OriginalFilename", "conv"},  {"ProductName", "누리Tarn_To_누리Velm"},
                       {"ProductVersion", "1.0.0.1"}, {"Comments", ""},
                       {"LegalTrademarks", "TM (c)"}, {"SpecialBuild", "odd key length value"}};
    const auto block = BuildVersionBlock(content);
    testsupport::WriteFile(dir / "block.bin", std::string(block.begin(), block.end()));
    testsupport::WriteFile(dir / "v.rc", "1 16 \"block.bin\"\n");
    ASSERT_EQ(testsupport::RunProgram({"x86_64-w64-mingw32-windres", "--preprocessor=cat", "-c", "65001", "v.rc", "-O",
                                       "coff", "-o", "v.o"},
                                      dir.path()),
              0);
    ASSERT_EQ(testsupport::RunProgram({"x86_64-w64-mingw32-ld", "-e", "0", "v.o", "-o", "v.exe"}, dir.path()), 0);

    const PefileView reference = ReadWithPefile(dir / "v.exe");
    ASSERT_EQ(reference.tables, std::vector<std::string>{"041204B0"});
    EXPECT_EQ(reference.fixedVersion, "1.0.0.1");
    EXPECT_EQ(reference.firstTable.size(), content.strings.size());
    for (const auto& [key, value] : content.strings) EXPECT_EQ(reference.firstTable.at(key), value) << key;

    const auto lines = GetFileVer(dir / "v.exe");
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "CompanyName: 누리온");
    EXPECT_EQ(lines[8], "Comments: ");
    EXPECT_EQ(lines[11], "SpecialBuild: odd key length value");
    EXPECT_EQ(lines[12], "Language: Korean");
}
