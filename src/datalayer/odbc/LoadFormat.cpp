#include "datalayer/odbc/LoadFormat.h"

#include <charconv>

namespace ado::odbc {

namespace {

void AppendEscaped(std::string& out, const std::string& bytes) {
    std::size_t plain = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char escape = 0;
        switch (bytes[i]) {
            case '\\':
                escape = '\\';
                break;
            case '\t':
                escape = 't';
                break;
            case '\n':
                escape = 'n';
                break;
            case '\r':
                escape = 'r';
                break;
            case '\0':
                escape = '0';
                break;
            default:
                continue;
        }
        out.append(bytes, plain, i - plain);
        out += '\\';
        out += escape;
        plain = i + 1;
    }
    out.append(bytes, plain, bytes.size() - plain);
}

template <typename Number>
void AppendNumber(std::string& out, Number number) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    out.append(text, end);
}

void AppendHex(std::string& out, const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const std::size_t at = out.size();
    out.resize(at + 2 * bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[at + 2 * i] = kDigits[byte >> 4];
        out[at + 2 * i + 1] = kDigits[byte & 0xF];
    }
}

}  // namespace

void AppendLoadField(std::string& out, const Value& value, LoadForm form) {
    if (value.IsNull())
        out += "\\N";
    else if (form == LoadForm::Hex)
        AppendHex(out, value.IsBytes() ? value.AsBytes().data : value.Text());
    else if (value.IsText())
        AppendEscaped(out, value.AsText());
    else if (value.IsBytes())
        AppendEscaped(out, value.AsBytes().data);
    else if (value.IsInteger())
        AppendNumber(out, value.AsInteger());
    else
        AppendNumber(out, value.AsDouble());
}

}  // namespace ado::odbc
