#include "fileutil/LanguageName.h"

#include <array>
#include <string_view>

namespace fileutil {

namespace {

struct Language {
    std::string_view key;
    std::string_view name;
};

// Keys in the order the table has always had; the first equal key wins. The names keep
// their traditional spellings ("Saudia Arabia", "Lichtenstein", "Ukranian", ...), which
// callers may already compare against.
constexpr std::array<Language, 116> kLanguages{{
    {"0436", "Afrikaans"},
    {"041C", "Albanian"},
    {"3801", "Arabic - U.A.E."},
    {"3C01", "Arabic - Bahrain"},
    {"1401", "Arabic - Algeria"},
    {"0C01", "Arabic - Egypt"},
    {"0801", "Arabic - Iraq"},
    {"2C01", "Arabic - Jordan"},
    {"3401", "Arabic - Kuwait"},
    {"3001", "Arabic - Lebanon"},
    {"1001", "Arabic - Libya"},
    {"1801", "Arabic - Morocco"},
    {"2001", "Arabic - Oman"},
    {"4001", "Arabic - Qatar"},
    {"0401", "Arabic - Saudia Arabia"},
    {"2801", "Arabic - Syria"},
    {"1C01", "Arabic - Tunisia"},
    {"2401", "Arabic - Yemen"},
    {"042D", "Basque"},
    {"0423", "Belarusian"},
    {"0402", "Bulgarian"},
    {"0403", "Catalan"},
    {"0804", "Chinese - PRC"},
    {"0C04", "Chinese - Hong Kong S.A.R."},
    {"1004", "Chinese - Singapore"},
    {"0404", "Chinese - Taiwan"},
    {"041A", "Croatian"},
    {"0405", "Czech"},
    {"0406", "Danish"},
    {"0413", "Dutch - Standard"},
    {"0813", "Dutch - Belgian"},
    {"0C09", "English - Australian"},
    {"2809", "English - Belize"},
    {"1009", "English - Canadian"},
    {"1809", "English - Ireland"},
    {"2009", "English - Jamaica"},
    {"1409", "English - New Zealand"},
    {"1C09", "English - South Africa"},
    {"2C09", "English - Trinidad"},
    {"0809", "English - United Kingdom"},
    {"0409", "English - United States"},
    {"0425", "Estonian"},
    {"0429", "Farsi"},
    {"040B", "Finnish"},
    {"0438", "Faeroese"},
    {"040C", "French - Standard"},
    {"080C", "French - Belgian"},
    {"0C0C", "French - Canadian"},
    {"140C", "French - Luxembourg"},
    {"100C", "French - Swiss"},
    {"043C", "Gaelic - Scotland"},
    {"0407", "German - Standard"},
    {"0C07", "German - Austrian"},
    {"1407", "German - Lichtenstein"},
    {"1007", "German - Luxembourg"},
    {"0807", "German - Swiss"},
    {"0408", "Greek"},
    {"040D", "Hebrew"},
    {"0439", "Hindi"},
    {"040E", "Hungarian"},
    {"040F", "Icelandic"},
    {"0421", "Indonesian"},
    {"0410", "Italian - Standard"},
    {"0810", "Italian - Swiss"},
    {"0411", "Japanese"},
    {"0412", "Korean"},
    {"0426", "Latvian"},
    {"0427", "Lithuanian"},
    {"042F", "Macedonian"},
    {"043E", "Malay - Malaysia"},
    {"043A", "Maltese"},
    {"0414", "Norwegian - Bokmal"},
    {"0415", "Polish"},
    {"0816", "Portuguese - Standard"},
    {"0416", "Portuguese - Brazilian"},
    {"0417", "Rhaeto-Romanic"},
    {"0418", "Romanian"},
    {"0818", "Romanian - Moldavia"},
    {"0419", "Russian"},
    {"0819", "Russian - Moldavia"},
    {"0C1A", "Serbian - Cyrillic"},
    {"0432", "Setsuana"},
    {"0424", "Slovenian"},
    {"041B", "Slovak"},
    {"042E", "Sorbian"},
    {"040A", "Spanish - Traditional Sort"},
    {"2C0A", "Spanish - Argentina"},
    {"400A", "Spanish - Bolivia"},
    {"340A", "Spanish - Chile"},
    {"240A", "Spanish - Columbia"},
    {"140A", "Spanish - Costa Rica"},
    {"1C0A", "Spanish - Dominican Republic"},
    {"300A", "Spanish - Ecuador"},
    {"100A", "Spanish - Guatemala"},
    {"480A", "Spanish - Honduras"},
    {"080A", "Spanish - Mexican"},
    {"4C0A", "Spanish - Nicaragua"},
    {"180A", "Spanish - Panama"},
    {"280A", "Spanish - Peru"},
    {"500A", "Spanish - Puerto Rico"},
    {"3C0A", "Spanish - Paraguay"},
    {"440A", "Spanish - El Salvador"},
    {"380A", "Spanish - Uruguay"},
    {"200A", "Spanish - Venezuela"},
    {"0430", "Sutu"},
    {"041D", "Swedish"},
    {"081D", "Swedish - Finland"},
    {"041E", "Thai"},
    {"041F", "Turkish"},
    {"0431", "Tsonga"},
    {"0422", "Ukranian"},
    {"0420", "Urdu"},
    {"042A", "Vietnamese"},
    {"0434", "Xhosa"},
    {"043D", "Yiddish"},
    {"0435", "Zulu"},
}};

// The first four characters (not bytes) of a UTF-8 text.
std::string FirstFourCharacters(const std::string& text) {
    std::size_t characters = 0, end = 0;
    while (end < text.size() && characters < 4) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        ++characters;
    }
    return text.substr(0, end);
}

}  // namespace

std::string LanguageName(const std::string& code) {
    std::string key = FirstFourCharacters(code);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const auto& language : kLanguages)
        if (language.key == key) return std::string(language.name);
    return {};
}

}  // namespace fileutil
