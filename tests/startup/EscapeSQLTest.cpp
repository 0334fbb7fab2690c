// EscapeSQL: the literal-safe form of a typed text.
#include <gtest/gtest.h>

#include "startup/EscapeSQL.h"

using namespace std::string_literals;

TEST(EscapeSQL, DoublesQuotesAndBackslashes) {
    EXPECT_EQ(EscapeSQL("a'b\\c"), "a''b\\\\c");
    EXPECT_EQ(EscapeSQL("''"), "''''");
    EXPECT_EQ(EscapeSQL("\\\\"), "\\\\\\\\");
    // A backslash before a quote cannot swallow the doubled quote.
    EXPECT_EQ(EscapeSQL("\\'"), "\\\\''");
    EXPECT_EQ(EscapeSQL(""), "");
    EXPECT_EQ(EscapeSQL("암호\"%_"), "암호\"%_");
}

TEST(EscapeSQL, CutsBeforeTheFirstNul) {
    EXPECT_EQ(EscapeSQL("pw\0' OR 1=1"s), "pw");
    EXPECT_EQ(EscapeSQL("a'\0b\0c"s), "a''");
    EXPECT_EQ(EscapeSQL("\0tail"s), "");
}
