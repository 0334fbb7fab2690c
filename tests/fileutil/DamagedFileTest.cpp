// Damaged and hostile files: the reader must neither crash nor read outside the file
// (the sanitizer build checks the latter), and whatever it finds lies inside the file.
#include <gtest/gtest.h>

#include <random>

#include "ElfBuilder.h"
#include "FileVersionTestSupport.h"
#include "fileutil/VersionBlockWriter.h"
#include "fileutil/VersionLines.h"
#include "fileutil/VersionResource.h"
#include "fileutil/modFile.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"

using namespace fileutil;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// Reads the bytes as a file (from an exactly sized heap copy, so any overrun is caught)
// and checks that a found block lies inside them.
void ReadSafely(const std::vector<std::uint8_t>& bytes) {
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): the sized copy is the point
    const std::vector<std::uint8_t> copy(bytes);
    const auto block = FindVersionBlock(copy);
    if (block) {
        ASSERT_FALSE(block->empty());
        ASSERT_GE(block->data(), copy.data());
        ASSERT_LE(block->data() + block->size(), copy.data() + copy.size());
        ASSERT_EQ(VersionLinesFromBlock(*block).size(), 13u);
    }
}

std::vector<std::uint8_t> VersionBlock() {
    VersionBlockContent content;
    content.strings = {{"FileVersion", "1.2.3.4"}, {"CompanyName", "누리온"}};
    return BuildVersionBlock(content);
}

}  // namespace

TEST(DamagedFiles, EveryTruncationOfGenuineFiles) {
    const auto pe = Bytes(testsupport::ReadFile(PeFile("full_korean")));
    ASSERT_GT(pe.size(), 1000u);
    ASSERT_TRUE(FindVersionBlock(pe).has_value());
    for (std::size_t n = 0; n < pe.size(); ++n) ReadSafely({pe.begin(), pe.begin() + static_cast<long>(n)});

    for (const bool wide : {false, true}) {
        const auto elf = ElfBuilder(wide).Build({{".text", {0xC3}}, {".nutv_version", VersionBlock()}});
        ASSERT_TRUE(FindVersionBlock(elf).has_value());
        for (std::size_t n = 0; n < elf.size(); ++n) ReadSafely({elf.begin(), elf.begin() + static_cast<long>(n)});
    }
}

TEST(DamagedFiles, EveryByteOfTheHeadersOverwritten) {
    const auto pe = Bytes(testsupport::ReadFile(PeFile("lower_no_special")));
    const auto elf = ElfBuilder(true).Build({{".nutv_version", VersionBlock()}});
    for (const auto* original : {&pe, &elf}) {
        for (std::size_t at = 0; at < original->size(); ++at) {
            for (const std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
                auto damaged = *original;
                damaged[at] = value;
                ReadSafely(damaged);
            }
        }
    }
}

TEST(DamagedFiles, HostileElfTables) {
    ElfBuilder builder(true);
    const auto good = builder.Build({{".nutv_version", VersionBlock()}});
    const auto with = [&](std::size_t at, int bytes, std::uint64_t value) {
        auto bad = good;
        ElfBuilder::Put(bad, at, bytes, value);
        return bad;
    };
    const std::size_t versionHeader = builder.sectionTable + builder.sectionHeaderSize();
    EXPECT_FALSE(FindVersionBlock(with(builder.shoffField(), 8, ~0ull - 10)).has_value());
    EXPECT_FALSE(FindVersionBlock(with(builder.shnumField(), 2, 0xFFFE)).has_value());
    EXPECT_FALSE(FindVersionBlock(with(builder.shstrndxField(), 2, 0x7000)).has_value());
    // Section 0 claims a huge count (extended numbering) or a names index out of range.
    auto extended = with(builder.shnumField(), 2, 0);
    ElfBuilder::Put(extended, builder.sectionTable + 32, 8, 0xFFFFFFFFFFull);
    EXPECT_FALSE(FindVersionBlock(extended).has_value());
    auto link = with(builder.shstrndxField(), 2, 0xFFFF);
    ElfBuilder::Put(link, builder.sectionTable + 40, 4, 0xFFFFFFFF);
    EXPECT_FALSE(FindVersionBlock(link).has_value());
    // The version section's offset + size wraps around, or its size runs past the end.
    EXPECT_FALSE(FindVersionBlock(with(versionHeader + 24, 8, ~0ull - 3)).has_value());
    EXPECT_FALSE(FindVersionBlock(with(versionHeader + 32, 8, ~0ull)).has_value());
    EXPECT_FALSE(FindVersionBlock(with(versionHeader + 32, 8, good.size())).has_value());
    // Its name points past the name table.
    EXPECT_FALSE(FindVersionBlock(with(versionHeader, 4, 0x7FFFFFFF)).has_value());
    // Extended numbering done right still finds the block.
    auto proper = with(builder.shnumField(), 2, 0);
    ElfBuilder::Put(proper, builder.sectionTable + 32, 8, 3);
    EXPECT_TRUE(FindVersionBlock(proper).has_value());
}

TEST(DamagedFiles, HostilePeDirectories) {
    const auto pe = Bytes(testsupport::ReadFile(PeFile("english_us")));
    ASSERT_TRUE(FindVersionBlock(pe).has_value());
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(pe[at] | pe[at + 1] << 8 | pe[at + 2] << 16 | pe[at + 3] << 24);
    };
    const auto with = [&](std::size_t at, int bytes, std::uint64_t value) {
        auto bad = pe;
        ElfBuilder::Put(bad, at, bytes, value);
        return bad;
    };
    const std::size_t peHeader = u32(0x3C);
    EXPECT_FALSE(FindVersionBlock(with(0x3C, 4, 0xFFFFFFF0)).has_value());
    ReadSafely(with(peHeader + 6, 2, 0xFFFF));   // more sections than the file holds
    ReadSafely(with(peHeader + 20, 2, 0xFFFF));  // optional header size beyond the file
    const std::size_t optional = peHeader + 24;
    const std::size_t resourceEntry = optional + 112 + 16;                   // PE32+
    EXPECT_FALSE(FindVersionBlock(with(optional + 108, 4, 2)).has_value());  // no resource directory
    EXPECT_FALSE(FindVersionBlock(with(resourceEntry, 4, 0x7FFFFFFF)).has_value());

    // Inside the resource tree: huge entry counts, and a subdirectory pointing at the root.
    const auto sectionFor = [&](std::uint32_t rva) -> std::size_t {
        const std::size_t table = optional + (pe[peHeader + 20] | pe[peHeader + 21] << 8);
        for (int i = 0; i < (pe[peHeader + 6] | pe[peHeader + 7] << 8); ++i) {
            const std::size_t h = table + 40 * static_cast<std::size_t>(i);
            if (rva >= u32(h + 12) && rva < u32(h + 12) + u32(h + 16)) return u32(h + 20) + (rva - u32(h + 12));
        }
        return 0;
    };
    const std::size_t root = sectionFor(u32(resourceEntry));
    ASSERT_NE(root, 0u);
    ReadSafely(with(root + 12, 2, 0xFFFF));
    ReadSafely(with(root + 14, 2, 0xFFFF));
    auto loop = with(root + 16 + 4, 4, 0x80000000u);  // the type entry's subdirectory is the root itself
    EXPECT_FALSE(FindVersionBlock(loop).has_value());
}

TEST(DamagedFiles, RandomGarbage) {
    std::mt19937 random(20160316);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes(random() % 2048);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        if (bytes.size() >= 4 && round % 3 == 0) bytes[0] = 'M', bytes[1] = 'Z';
        if (bytes.size() >= 4 && round % 3 == 1) bytes[0] = 0x7F, bytes[1] = 'E', bytes[2] = 'L', bytes[3] = 'F';
        ReadSafely(bytes);
        ASSERT_EQ(VersionLinesFromBlock(bytes).size(), 13u);
    }
}

TEST(DamagedFiles, TruncatedFilesOnDiskGiveNoVersionAndNoMessage) {
    testsupport::ScriptedMsgBox boxes;
    testsupport::TempDir dir;
    const std::string pe = testsupport::ReadFile(PeFile("full_korean"));
    for (const std::size_t n : {std::size_t{1}, std::size_t{64}, pe.size() / 2, pe.size() - 1}) {
        testsupport::WriteFile(dir / "cut.exe", pe.substr(0, n));
        const auto lines = GetFileVer(dir / "cut.exe");
        EXPECT_TRUE(lines.empty() || lines.size() == 13u);
    }
    testsupport::WriteFile(dir / "cut.exe", pe.substr(0, 300));
    EXPECT_TRUE(GetFileVer(dir / "cut.exe").empty());
    EXPECT_EQ(GetFileVerNumber(dir / "cut.exe", true, true), std::nullopt);
    EXPECT_TRUE(boxes.Boxes().empty());
}
