#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Builds small little-endian ELF files (sections only, no program) for the reader tests.
struct ElfSection {
    std::string name;
    std::vector<std::uint8_t> data;
    std::uint32_t type = 1;  // PROGBITS
};

class ElfBuilder {
public:
    // Offsets of the fields tests like to damage.
    std::size_t shoffField() const { return wide_ ? 0x28 : 0x20; }
    std::size_t shnumField() const { return wide_ ? 0x3C : 0x30; }
    std::size_t shstrndxField() const { return wide_ ? 0x3E : 0x32; }
    std::size_t sectionHeaderSize() const { return wide_ ? 64 : 40; }
    std::size_t sectionTable = 0;  // where the section headers start, after Build

    explicit ElfBuilder(bool wide) : wide_(wide) {}

    std::vector<std::uint8_t> Build(const std::vector<ElfSection>& sections) {
        std::vector<std::uint8_t> out(wide_ ? 64 : 52, 0);
        out[0] = 0x7F, out[1] = 'E', out[2] = 'L', out[3] = 'F';
        out[4] = wide_ ? 2 : 1, out[5] = 1, out[6] = 1;
        Put(out, 16, 2, 1);               // relocatable
        Put(out, 18, 2, wide_ ? 62 : 3);  // x86-64 / i386
        Put(out, 20, 4, 1);
        Put(out, wide_ ? 0x34 : 0x28, 2, out.size());  // header size

        std::vector<ElfSection> all = sections;
        std::string names(1, '\0');
        std::vector<std::uint32_t> nameOffsets{0};
        for (const auto& s : all) {
            nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
            names += s.name + '\0';
        }
        nameOffsets.push_back(static_cast<std::uint32_t>(names.size()));
        names += std::string(".shstrtab") + '\0';
        all.push_back({".shstrtab", std::vector<std::uint8_t>(names.begin(), names.end()), 3});

        std::vector<std::uint64_t> offsets;
        for (const auto& s : all) {
            while (out.size() % 4) out.push_back(0);
            offsets.push_back(out.size());
            out.insert(out.end(), s.data.begin(), s.data.end());
        }
        while (out.size() % 8) out.push_back(0);
        sectionTable = out.size();
        out.resize(out.size() + sectionHeaderSize(), 0);  // section 0: empty
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::size_t h = out.size();
            out.resize(h + sectionHeaderSize(), 0);
            Put(out, h, 4, nameOffsets[i + 1]);
            Put(out, h + 4, 4, all[i].type);
            Put(out, h + (wide_ ? 24 : 16), wide_ ? 8 : 4, offsets[i]);
            Put(out, h + (wide_ ? 32 : 20), wide_ ? 8 : 4, all[i].data.size());
        }
        Put(out, shoffField(), wide_ ? 8 : 4, sectionTable);
        Put(out, wide_ ? 0x3A : 0x2E, 2, sectionHeaderSize());
        Put(out, shnumField(), 2, all.size() + 1);
        Put(out, shstrndxField(), 2, all.size());
        return out;
    }

    static void Put(std::vector<std::uint8_t>& out, std::size_t at, int bytes, std::uint64_t value) {
        for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

private:
    bool wide_;
};
