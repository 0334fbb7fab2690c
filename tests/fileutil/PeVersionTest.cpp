// GetFileVer and GetFileVerNumber on genuine PE files from a Windows resource compiler,
// checked against what python3-pefile reads from the same files.
#include <gtest/gtest.h>

#include "FileVersionTestSupport.h"
#include "fileutil/LanguageName.h"
#include "fileutil/VersionLines.h"
#include "fileutil/modFile.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"

namespace {
const char* const kPeFiles[] = {"full_korean", "lower_no_special", "unknown_language", "english_us"};
}

TEST(GetFileVerPe, AgreesWithPefileOnEveryLine) {
    testsupport::ScriptedMsgBox boxes;
    for (const char* name : kPeFiles) {
        SCOPED_TRACE(name);
        const PefileView reference = ReadWithPefile(PeFile(name));
        ASSERT_EQ(reference.tables.size(), 1u) << "pefile could not read the file";
        const auto lines = GetFileVer(PeFile(name));
        ASSERT_EQ(lines.size(), 13u);
        const auto names = fileutil::VersionFieldNames();
        for (std::size_t i = 0; i < 12; ++i) {
            const auto entry = reference.firstTable.find(names[i]);
            EXPECT_EQ(lines[i],
                      names[i] + ": " + (entry == reference.firstTable.end() ? "Not specified" : entry->second));
        }
        EXPECT_EQ(lines[12], "Language: " + fileutil::LanguageName(reference.tables[0]));
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(GetFileVerPe, KoreanTableWithEveryString) {
    const auto lines = GetFileVer(PeFile("full_korean"));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "CompanyName: 누리온 소프트");
    EXPECT_EQ(lines[2], "FileVersion: 1.00.0005");
    EXPECT_EQ(lines[11], "SpecialBuild: sb-9");
    EXPECT_EQ(lines[12], "Language: Korean");
    EXPECT_EQ(GetFileVerNumber(PeFile("full_korean"), true, false), "1.00.5");
    EXPECT_EQ(GetFileVerNumber(PeFile("full_korean"), false, false), "1.00");
}

TEST(GetFileVerPe, LowerCaseKeyAndNoSpecialBuild) {
    const auto lines = GetFileVer(PeFile("lower_no_special"));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[11], "SpecialBuild: Not specified");
    EXPECT_EQ(lines[10], "PrivateBuild: x");
    EXPECT_EQ(lines[12], "Language: Croatian");
}

TEST(GetFileVerPe, FourPartVersionBothWays) {
    testsupport::ScriptedMsgBox boxes;
    EXPECT_EQ(GetFileVerNumber(PeFile("lower_no_special"), true, false), "2.1.0.13");
    EXPECT_EQ(GetFileVerNumber(PeFile("lower_no_special"), false, false), "2.1.0");
    EXPECT_EQ(GetFileVerNumber(PeFile("english_us"), true, false), "3.2.1.0");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(GetFileVerPe, UnknownLanguageGivesEmptyName) {
    const auto lines = GetFileVer(PeFile("unknown_language"));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[12], "Language: ");
}

TEST(GetFileVerPe, VersionWithoutDot) {
    testsupport::ScriptedMsgBox boxes;
    // Keeping the last component: the whole text formatted as a number.
    EXPECT_EQ(GetFileVerNumber(PeFile("unknown_language"), true, false), "9");
    EXPECT_TRUE(boxes.Boxes().empty());
    // Dropping it fails; the report names GetFileVer and the function returns what it held.
    EXPECT_EQ(GetFileVerNumber(PeFile("unknown_language"), false, false), "9");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt,
              "Error 5 (Invalid procedure call or argument) in procedure GetFileVer of Module mdlFile");
    EXPECT_EQ(boxes.Boxes()[0].buttons, 0);
    boxes.Clear();
    EXPECT_EQ(GetFileVerNumber(PeFile("unknown_language"), false, true), "9");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(GetFileVerPe, NoVersionInformation) {
    testsupport::ScriptedMsgBox boxes;
    ASSERT_TRUE(ReadWithPefile(PeFile("no_version")).none);
    EXPECT_TRUE(GetFileVer(PeFile("no_version")).empty());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(GetFileVerNumber(PeFile("no_version"), true, true), std::nullopt);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(GetFileVerNumber(PeFile("no_version"), true, false), std::nullopt);
    ASSERT_EQ(boxes.Prompts().size(), 1u);
    EXPECT_EQ(boxes.Prompts()[0], "Error 13 (Type mismatch) in procedure GetFileVer of Module mdlFile");
}

TEST(GetFileVerPe, MissingFileAndFolderHaveNoVersion) {
    testsupport::ScriptedMsgBox boxes;
    testsupport::TempDir dir;
    EXPECT_TRUE(GetFileVer(dir / "nothing.exe").empty());
    EXPECT_TRUE(GetFileVer(dir.path()).empty());
    testsupport::WriteFile(dir / "empty.exe", "");
    EXPECT_TRUE(GetFileVer(dir / "empty.exe").empty());
    EXPECT_EQ(GetFileVerNumber(dir / "nothing.exe", false, true), std::nullopt);
    EXPECT_TRUE(boxes.Boxes().empty());
}
