#include "fileutil/VersionLines.h"

#include "fileutil/LanguageName.h"
#include "fileutil/Utf16.h"

namespace fileutil {

namespace {

constexpr char16_t kTextType = 0x0001;  // the type word of a text entry, right before its key

// The position of the type word of the first entry whose key starts with `key`.
std::size_t FindKey(const std::u16string& block, const std::string& key) {
    return block.find(std::u16string(1, kTextType) + Utf8ToUtf16(key));
}

// A character of the block; past its end, the filler of the reading buffer (a space).
char16_t At(const std::u16string& block, std::size_t index) {
    return index < block.size() ? block[index] : u' ';
}

// The text from `start` up to the next NUL (or the end of the block).
std::string TextFrom(const std::u16string& block, std::size_t start) {
    if (start >= block.size()) return {};
    const std::size_t end = block.find(u'\0', start);
    return Utf16ToUtf8(std::u16string_view(block).substr(start, end == std::u16string::npos ? end : end - start));
}

}  // namespace

std::vector<std::string> VersionFieldNames() {
    std::vector<std::string> names;
    const std::string list = kVersionFieldList;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semicolon = list.find(';', start);
        names.push_back(list.substr(start, semicolon - start));
        if (semicolon == std::string::npos) return names;
        start = semicolon + 1;
    }
}

std::u16string BlockCharacters(std::span<const std::uint8_t> block) {
    std::u16string text(block.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(block[2 * i] | (block[2 * i + 1] << 8));
    return text;
}

std::string VersionFieldLine(const std::u16string& block, const std::string& name) {
    const std::size_t p = FindKey(block, name);
    if (p == std::u16string::npos) return name + ": Not specified";
    // q: where the key's terminating NUL stands. One padding NUL may follow it before the value.
    const std::size_t q = p + Utf8ToUtf16(name).size() + 1;
    std::size_t start;
    if (At(block, q + 1) == u'\0')
        start = q + 2;
    else if (At(block, q) == u'\0')
        start = q + 1;
    else
        start = q;
    return name + ": " + TextFrom(block, start);
}

std::string VersionLanguageLine(const std::u16string& block) {
    static const std::string kStringFileInfo = "StringFileInfo";
    const std::size_t p = FindKey(block, kStringFileInfo);
    if (p == std::u16string::npos) return "Language";
    // The string table's key follows the next type word after "StringFileInfo".
    const std::size_t table = block.find(kTextType, p + kStringFileInfo.size());
    const std::string code = table == std::u16string::npos ? std::string() : TextFrom(block, table + 1);
    return "Language: " + LanguageName(code);
}

std::vector<std::string> VersionLinesFromBlock(std::span<const std::uint8_t> block) {
    const std::u16string text = BlockCharacters(block);
    std::vector<std::string> lines;
    const auto names = VersionFieldNames();
    for (std::size_t i = 0; i + 1 < names.size(); ++i) lines.push_back(VersionFieldLine(text, names[i]));
    lines.push_back(VersionLanguageLine(text));
    return lines;
}

}  // namespace fileutil
