#include "fileutil/VersionBlockWriter.h"

#include <stdexcept>

#include "fileutil/Utf16.h"

namespace fileutil {

namespace {

enum class ValueType : std::uint16_t { Binary = 0, Text = 1 };

class BlockWriter {
public:
    std::size_t size() const { return bytes_.size(); }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

    void U16(std::uint16_t value) {
        bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value) {
        U16(static_cast<std::uint16_t>(value & 0xFFFF));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    void Text(const std::u16string& text) {  // NUL-terminated
        for (const char16_t c : text) U16(c);
        U16(0);
    }
    void Align() {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }

    // Starts an entry: length (patched by End), value length, type, key, padding.
    std::size_t Begin(std::uint16_t valueLength, ValueType type, const std::string& key) {
        Align();
        const std::size_t start = bytes_.size();
        U16(0);
        U16(valueLength);
        U16(static_cast<std::uint16_t>(type));
        Text(Utf8ToUtf16(key));
        Align();
        return start;
    }
    // The entry's length covers everything written since Begin (not the padding after it).
    void End(std::size_t start) {
        const std::size_t length = bytes_.size() - start;
        if (length > 0xFFFF) throw std::length_error("version block entry longer than 65535 bytes");
        bytes_[start] = static_cast<std::uint8_t>(length & 0xFF);
        bytes_[start + 1] = static_cast<std::uint8_t>(length >> 8);
    }

private:
    std::vector<std::uint8_t> bytes_;
};

std::uint32_t High(const std::array<std::uint16_t, 4>& v) {
    return static_cast<std::uint32_t>(v[0]) << 16 | v[1];
}
std::uint32_t Low(const std::array<std::uint16_t, 4>& v) {
    return static_cast<std::uint32_t>(v[2]) << 16 | v[3];
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionBlockContent& content) {
    BlockWriter w;
    const std::size_t root = w.Begin(52, ValueType::Binary, "VS_VERSION_INFO");
    w.U32(0xFEEF04BD);  // the fixed file-info record: signature, structure version 1.0
    w.U32(0x00010000);
    w.U32(High(content.fileVersion));
    w.U32(Low(content.fileVersion));
    w.U32(High(content.productVersion));
    w.U32(Low(content.productVersion));
    w.U32(0x3F);  // flags mask
    w.U32(0);     // flags
    w.U32(0);     // operating system: unknown
    w.U32(1);     // file type: application
    w.U32(0);     // subtype
    w.U32(0);     // date, high and low
    w.U32(0);

    if (content.stringTableKey) {
        const std::size_t info = w.Begin(0, ValueType::Text, "StringFileInfo");
        const std::size_t table = w.Begin(0, ValueType::Text, *content.stringTableKey);
        for (const auto& [key, value] : content.strings) {
            const std::u16string text = Utf8ToUtf16(value);
            const std::size_t entry = w.Begin(static_cast<std::uint16_t>(text.size() + 1), ValueType::Text, key);
            w.Text(text);
            w.End(entry);
        }
        w.End(table);
        w.End(info);
    }
    if (content.translation) {
        const std::size_t info = w.Begin(0, ValueType::Text, "VarFileInfo");
        const std::size_t var = w.Begin(4, ValueType::Binary, "Translation");
        w.U32(*content.translation);
        w.End(var);
        w.End(info);
    }
    w.End(root);
    return w.Take();
}

std::array<std::uint16_t, 4> ParseVersionParts(const std::string& text) {
    std::array<std::uint16_t, 4> parts{};
    std::size_t index = 0;
    std::uint32_t value = 0;
    for (const char c : text) {
        if (c == '.') {
            if (++index == parts.size()) break;
            value = 0;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
            if (value > 0xFFFF) value = 0xFFFF;
            parts[index] = static_cast<std::uint16_t>(value);
        }
    }
    return parts;
}

}  // namespace fileutil
