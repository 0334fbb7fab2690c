// The language table behind the "Language" line.
#include <gtest/gtest.h>

#include <set>

#include "fileutil/LanguageName.h"

using fileutil::LanguageName;

namespace {
// The table's keys, in its order.
const char* const kKeys[] = {
    "0436", "041C", "3801", "3C01", "1401", "0C01", "0801", "2C01", "3401", "3001", "1001", "1801", "2001",
    "4001", "0401", "2801", "1C01", "2401", "042D", "0423", "0402", "0403", "0804", "0C04", "1004", "0404",
    "041A", "0405", "0406", "0413", "0813", "0C09", "2809", "1009", "1809", "2009", "1409", "1C09", "2C09",
    "0809", "0409", "0425", "0429", "040B", "0438", "040C", "080C", "0C0C", "140C", "100C", "043C", "0407",
    "0C07", "1407", "1007", "0807", "0408", "040D", "0439", "040E", "040F", "0421", "0410", "0810", "0411",
    "0412", "0426", "0427", "042F", "043E", "043A", "0414", "0415", "0816", "0416", "0417", "0418", "0818",
    "0419", "0819", "0C1A", "0432", "0424", "041B", "042E", "040A", "2C0A", "400A", "340A", "240A", "140A",
    "1C0A", "300A", "100A", "480A", "080A", "4C0A", "180A", "280A", "500A", "3C0A", "440A", "380A", "200A",
    "0430", "041D", "081D", "041E", "041F", "0431", "0422", "0420", "042A", "0434", "043D", "0435"};
}  // namespace

TEST(LanguageName, EveryKeyHasItsOwnName) {
    static_assert(std::size(kKeys) == 116);
    std::set<std::string> names;
    for (const char* key : kKeys) {
        const std::string name = LanguageName(key);
        EXPECT_FALSE(name.empty()) << key;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 116u);
}

TEST(LanguageName, TraditionalNamesAndSpellings) {
    const std::pair<const char*, const char*> rows[] = {
        {"0412", "Korean"},
        {"0409", "English - United States"},
        {"0407", "German - Standard"},
        {"0C07", "German - Austrian"},
        {"1407", "German - Lichtenstein"},
        {"0401", "Arabic - Saudia Arabia"},
        {"3801", "Arabic - U.A.E."},
        {"0C04", "Chinese - Hong Kong S.A.R."},
        {"0804", "Chinese - PRC"},
        {"0438", "Faeroese"},
        {"043C", "Gaelic - Scotland"},
        {"0C1A", "Serbian - Cyrillic"},
        {"0432", "Setsuana"},
        {"240A", "Spanish - Columbia"},
        {"0430", "Sutu"},
        {"0422", "Ukranian"},
        {"2C09", "English - Trinidad"},
    };
    for (const auto& [key, name] : rows) EXPECT_EQ(LanguageName(key), name) << key;
}

TEST(LanguageName, FirstFourCharactersInUpperCase) {
    EXPECT_EQ(LanguageName("041204B0"), "Korean");
    EXPECT_EQ(LanguageName("041a04b0"), "Croatian");
    EXPECT_EQ(LanguageName("0c0a"), "");  // not in the table
    EXPECT_EQ(LanguageName("0c04"), "Chinese - Hong Kong S.A.R.");
    EXPECT_EQ(LanguageName("041"), "");
    EXPECT_EQ(LanguageName(""), "");
    EXPECT_EQ(LanguageName(" 0412"), "");
    EXPECT_EQ(LanguageName("한0412"), "");
}
