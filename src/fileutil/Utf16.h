#pragma once
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and the UTF-16 text of version blocks.
// Malformed input never fails: each bad sequence becomes U+FFFD.
namespace fileutil {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace fileutil
