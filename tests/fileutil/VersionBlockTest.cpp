// The search of a version block for its strings, on blocks made to order.
#include <gtest/gtest.h>

#include "fileutil/Utf16.h"
#include "fileutil/VersionBlockWriter.h"
#include "fileutil/VersionLines.h"

using namespace fileutil;
using namespace std::string_literals;

namespace {

VersionBlockContent Content(std::vector<std::pair<std::string, std::string>> strings,
                            std::optional<std::string> key = "041204B0") {
    VersionBlockContent content;
    content.fileVersion = {1, 2, 3, 4};
    content.stringTableKey = std::move(key);
    content.strings = std::move(strings);
    return content;
}

std::vector<std::string> Lines(const VersionBlockContent& content) {
    return VersionLinesFromBlock(BuildVersionBlock(content));
}

// A block from 16-bit characters written out directly, for layouts no writer makes.
std::u16string Chars(std::u16string text) {
    return text;
}

}  // namespace

TEST(VersionLines, AllThirteenLinesInOrderWithMissingEntriesNotSpecified) {
    const auto lines = Lines(Content({{"FileVersion", "1.2.3.4"}, {"CompanyName", "누리온"}, {"Comments", "메모"}}));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "CompanyName: 누리온");
    EXPECT_EQ(lines[1], "FileDescription: Not specified");
    EXPECT_EQ(lines[2], "FileVersion: 1.2.3.4");
    EXPECT_EQ(lines[8], "Comments: 메모");
    EXPECT_EQ(lines[11], "SpecialBuild: Not specified");
    EXPECT_EQ(lines[12], "Language: Korean");
    EXPECT_EQ(VersionFieldNames().size(), 13u);
    EXPECT_EQ(VersionFieldNames()[12], "Language");
}

TEST(VersionLines, ValueFoundAfterKeysOfEveryLengthParity) {
    // An odd key length + NUL needs one padding character before the value, an even one none.
    for (const std::string key : {"Comments", "ProductName", "InternalName", "LegalTrademarks", "FileVersion"}) {
        for (const std::string value : {"x", "xy", "누리 회사", "1.0"}) {
            const auto text = BlockCharacters(BuildVersionBlock(Content({{key, value}})));
            EXPECT_EQ(VersionFieldLine(text, key), key + ": " + value) << key << " / " << value;
        }
    }
}

TEST(VersionLines, StringTableLanguageDecidesTheLastLine) {
    EXPECT_EQ(Lines(Content({}, "041204B0")).back(), "Language: Korean");
    EXPECT_EQ(Lines(Content({}, "041a04b0")).back(), "Language: Croatian");  // keys compared in upper case
    EXPECT_EQ(Lines(Content({}, "0409")).back(), "Language: English - United States");
    EXPECT_EQ(Lines(Content({}, "FFFF04B0")).back(), "Language: ");
    EXPECT_EQ(Lines(Content({}, "")).back(), "Language: ");
}

TEST(VersionLines, BlockWithoutStringTableHasLanguageAlone) {
    auto content = Content({});
    content.stringTableKey.reset();
    const auto lines = Lines(content);
    EXPECT_EQ(lines.back(), "Language");
    EXPECT_EQ(lines[2], "FileVersion: Not specified");
}

TEST(VersionLines, KeyMatchesOnlyRightAfterTheTypeMarkerAndFirstEntryWins) {
    // "ProductVersion" contains "Version" but must not be taken for "FileVersion"; the first
    // of two equal keys wins.
    const auto text = BlockCharacters(
        BuildVersionBlock(Content({{"ProductVersion", "9.9"}, {"FileVersion", "1.0"}, {"FileVersion", "2.0"}})));
    EXPECT_EQ(VersionFieldLine(text, "FileVersion"), "FileVersion: 1.0");
    // A key that merely starts with the name is found too: the search compares the name only.
    const auto longer = BlockCharacters(BuildVersionBlock(Content({{"CommentsExtra", "v"}})));
    EXPECT_EQ(VersionFieldLine(longer, "Comments"), "Comments: Extra");
}

TEST(VersionLines, PaddingRuleOnRawCharacters) {
    // <1>Key<0><0>value<0>: padding character skipped.
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Comments\0\0abc\0"s),
                               "Comments"),
              "Comments: abc");
    // <1>Key<0>value<0>: no padding.
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Comments\0abc\0"s),
                               "Comments"),
              "Comments: abc");
    // <1>Keyvalue: no NUL after the name at all, the value starts right after it.
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Commentsabc\0"s),
                               "Comments"),
              "Comments: abc");
    // The block ends right after the key: nothing is read past its end.
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Comments"s),
                               "Comments"),
              "Comments: ");
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Comments\0"s),
                               "Comments"),
              "Comments: ");
    // A value running to the end of the block without a NUL ends there.
    EXPECT_EQ(VersionFieldLine(Chars(u"\x0001"
                                     u"Comments\0\0abc"s),
                               "Comments"),
              "Comments: abc");
}

TEST(VersionLines, LanguageCodeFollowsNextMarkerAfterStringFileInfo) {
    EXPECT_EQ(VersionLanguageLine(Chars(u"\x0001StringFileInfo\0\x0092\0\x0001"
                                        u"041204B0\0"s)),
              "Language: Korean");
    // No marker after "StringFileInfo": no code, no name.
    EXPECT_EQ(VersionLanguageLine(Chars(u"\x0001StringFileInfo\0\0"s)), "Language: ");
    EXPECT_EQ(VersionLanguageLine(Chars(u"StringFileInfo\0\x0001"
                                        u"0412"s)),
              "Language");
}

TEST(VersionLines, OddAndTinyBlocksAreRead) {
    EXPECT_EQ(BlockCharacters(std::vector<std::uint8_t>{0x41, 0x00, 0x42}), u"A");
    const auto empty = VersionLinesFromBlock({});
    ASSERT_EQ(empty.size(), 13u);
    EXPECT_EQ(empty[0], "CompanyName: Not specified");
    EXPECT_EQ(empty[12], "Language");
}

TEST(VersionBlockWriter, LayoutLengthsAndAlignment) {
    const auto block = BuildVersionBlock(Content({{"FileVersion", "1.2.3.4"}}));
    ASSERT_GE(block.size(), 92u);
    EXPECT_EQ(block.size() % 4, 0u);
    EXPECT_EQ(block[0] | block[1] << 8, static_cast<int>(block.size()));  // root length covers all
    EXPECT_EQ(block[2] | block[3] << 8, 52);                              // fixed file-info size
    EXPECT_EQ(Utf16ToUtf8(BlockCharacters(std::span(block).subspan(6, 32))), std::string("VS_VERSION_INFO\0", 16));
    // Fixed file info at 40: signature, then version 1.2 / 3.4.
    EXPECT_EQ(block[40] | block[41] << 8 | block[42] << 16 | block[43] << 24, static_cast<int>(0xFEEF04BD));
    EXPECT_EQ(block[48] | block[49] << 8 | block[50] << 16 | block[51] << 24, 0x00010002);
    EXPECT_EQ(block[52] | block[53] << 8 | block[54] << 16 | block[55] << 24, 0x00030004);
}

TEST(VersionBlockWriter, VersionPartsFromText) {
    EXPECT_EQ(ParseVersionParts("1.0.0.1"), (std::array<std::uint16_t, 4>{1, 0, 0, 1}));
    EXPECT_EQ(ParseVersionParts("2.1"), (std::array<std::uint16_t, 4>{2, 1, 0, 0}));
    EXPECT_EQ(ParseVersionParts("1.2.3.4.5"), (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(ParseVersionParts("70000.x.0007"), (std::array<std::uint16_t, 4>{65535, 0, 7, 0}));
}

TEST(Utf16, RoundTripAndMalformedInput) {
    const std::string text = "누리Tarn 😀 é";
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf8ToUtf16("a\xFF"
                          "b"),
              u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("\xC0\x80"), u"\uFFFD\uFFFD");            // overlong NUL
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\uFFFDy");
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, 0xDC00)), "\uFFFD");
}
