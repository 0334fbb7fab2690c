// The number rules of the update check and the command-line quoting of its tool arguments.
#include <gtest/gtest.h>

#include "common/VbNumbers.h"
#include "platform/CommandLine.h"

using platform::QuoteArgument;
using platform::SplitCommandLine;

TEST(VbNumbers, ValReadsTheLeadingNumber) {
    EXPECT_EQ(vbnum::Val("7"), 7);
    EXPECT_EQ(vbnum::Val("7.5\r\n"), 7.5);
    EXPECT_EQ(vbnum::Val(" 1 2\t3\n4x5"), 1234);  // blanks, tabs and line feeds do not count
    EXPECT_EQ(vbnum::Val("12\r3"), 12);           // a carriage return ends the number
    EXPECT_EQ(vbnum::Val("-3 apples"), -3);
    EXPECT_EQ(vbnum::Val("+.5"), 0.5);
    EXPECT_EQ(vbnum::Val("1e2"), 100);
    EXPECT_EQ(vbnum::Val("1D2"), 100);
    EXPECT_EQ(vbnum::Val("1e"), 1);
    EXPECT_EQ(vbnum::Val("1.2.3"), 1.2);
    EXPECT_EQ(vbnum::Val("abc"), 0);
    EXPECT_EQ(vbnum::Val(""), 0);
    EXPECT_EQ(vbnum::Val("-"), 0);
    EXPECT_THROW(vbnum::Val("1e999"), VbError);
}

TEST(VbNumbers, CLngRoundsHalvesToEvenAndOverflows) {
    EXPECT_EQ(vbnum::CLng(7.5), 8);
    EXPECT_EQ(vbnum::CLng(6.5), 6);
    EXPECT_EQ(vbnum::CLng(-2.5), -2);
    EXPECT_EQ(vbnum::CLng(2.4999), 2);
    EXPECT_EQ(vbnum::CLng(2147483647.4), 2147483647);
    EXPECT_EQ(vbnum::CLng(-2147483648.5), -2147483648);
    try {
        vbnum::CLng(2147483647.5);
        ADD_FAILURE() << "no overflow";
    } catch (const VbError& error) {
        EXPECT_EQ(error.number(), 6);
        EXPECT_EQ(error.description(), "Overflow");
    }
    EXPECT_THROW(vbnum::CLng(1e10), VbError);
}

TEST(VbNumbers, FormatWholeNumber) {
    EXPECT_EQ(vbnum::FormatWhole("0005"), "5");
    EXPECT_EQ(vbnum::FormatWhole("000"), "0");
    EXPECT_EQ(vbnum::FormatWhole("13"), "13");
    EXPECT_EQ(vbnum::FormatWhole("-0012"), "-12");
    EXPECT_EQ(vbnum::FormatWhole(" 12 "), "12");
    EXPECT_EQ(vbnum::FormatWhole("12345678901234567890123"), "12345678901234567890123");
    EXPECT_EQ(vbnum::FormatWhole("7.6"), "8");
    EXPECT_EQ(vbnum::FormatWhole("2.5"), "3");
    EXPECT_EQ(vbnum::FormatWhole("1e2"), "100");
    EXPECT_EQ(vbnum::FormatWhole("abc"), "abc");
    EXPECT_EQ(vbnum::FormatWhole("5a"), "5a");
    EXPECT_EQ(vbnum::FormatWhole("1.2.3"), "1.2.3");
    EXPECT_EQ(vbnum::FormatWhole(""), "");
    EXPECT_EQ(vbnum::FormatWhole("Not specified"), "Not specified");
}

TEST(CommandLine, SplitsAndQuotesBothWays) {
    EXPECT_EQ(SplitCommandLine("12;Prog"), std::vector<std::string>{"12;Prog"});
    EXPECT_EQ(SplitCommandLine("  a \"b c\"\td  "), (std::vector<std::string>{"a", "b c", "d"}));
    EXPECT_EQ(SplitCommandLine("x\\\"y \\\\\"q r\" \"\""), (std::vector<std::string>{"x\"y", "\\q r", ""}));
    EXPECT_EQ(SplitCommandLine("a\\\\b"), std::vector<std::string>{"a\\\\b"});
    EXPECT_TRUE(SplitCommandLine("   ").empty());
    for (const std::string argument :
         {"1;My Prog", "", "plain", "quote\"inside", "trailing\\", "back\\\\\" ", "tab\there", "한글 이름"}) {
        EXPECT_EQ(SplitCommandLine(QuoteArgument(argument)), std::vector<std::string>{argument}) << argument;
    }
    EXPECT_EQ(QuoteArgument("1;Prog"), "1;Prog");
}
