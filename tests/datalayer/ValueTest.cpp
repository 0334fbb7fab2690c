#include <gtest/gtest.h>

#include <limits>

#include "ErrorNumber.h"
#include "common/VbError.h"
#include "datalayer/Value.h"

using ado::Bytes;
using ado::Value;
using datalayertest::ErrorNumberOf;

TEST(ValueText, DoublesGiveTheShortestTextThatReadsBackExactly) {
    EXPECT_EQ(Value(0.1).Text(), "0.1");
    EXPECT_EQ(Value(1.0 / 3.0).Text(), "0.3333333333333333");
    EXPECT_EQ(Value(2.5).Text(), "2.5");
    EXPECT_EQ(Value(100.0).Text(), "100");
    EXPECT_EQ(Value(-1234.5678).Text(), "-1234.5678");
    // The value a FLOAT column holds for 3.14 when read as a double.
    const double fromFloat = static_cast<double>(3.14f);
    EXPECT_EQ(std::stod(Value(fromFloat).Text()), fromFloat);
    EXPECT_EQ(std::stod(Value(1e300).Text()), 1e300);
}

TEST(ValueText, OtherKindsGiveThemselvesAndNullRaises94) {
    EXPECT_EQ(Value("누리온 텍스트").Text(), "누리온 텍스트");
    EXPECT_EQ(Value(std::int64_t{-9007199254740993}).Text(), "-9007199254740993");
    EXPECT_EQ(Value(42).Text(), "42");
    EXPECT_EQ(Value(Bytes{std::string("a\0b", 3)}).Text(), std::string("a\0b", 3));
    try {
        (void)Value().Text();
        FAIL() << "Null turned into text";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 94);
        EXPECT_EQ(e.description(), "Invalid use of Null");
    }
}

TEST(ValueToLong, TextIntegersAndDoubles) {
    EXPECT_EQ(Value("57").ToLong(), 57);
    EXPECT_EQ(Value("  -12 ").ToLong(), -12);
    EXPECT_EQ(Value("+7").ToLong(), 7);
    EXPECT_EQ(Value("2147483647").ToLong(), 2147483647);
    EXPECT_EQ(Value("-2147483648").ToLong(), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Value("1e3").ToLong(), 1000);
    EXPECT_EQ(Value(std::int64_t{123456}).ToLong(), 123456);
    // Halves go to the even neighbour.
    EXPECT_EQ(Value(2.5).ToLong(), 2);
    EXPECT_EQ(Value(3.5).ToLong(), 4);
    EXPECT_EQ(Value("-2.5").ToLong(), -2);
    EXPECT_EQ(Value(2.6).ToLong(), 3);
}

TEST(ValueToLong, FailuresCarryTheClassicNumbers) {
    EXPECT_EQ(ErrorNumberOf([] { Value().ToLong(); }), 94);
    EXPECT_EQ(ErrorNumberOf([] { Value("").ToLong(); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { Value("12abc").ToLong(); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { Value("abc").ToLong(); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { Value(Bytes{"1"}).ToLong(); }), 13);
    EXPECT_EQ(ErrorNumberOf([] { Value("2147483648").ToLong(); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { Value("99999999999999999999").ToLong(); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { Value(std::int64_t{1} << 40).ToLong(); }), 6);
    EXPECT_EQ(ErrorNumberOf([] { Value(3e9).ToLong(); }), 6);
}

TEST(ValueKinds, EmptyTextIsNotNullAndKindsStayApart) {
    EXPECT_TRUE(Value("").IsEmptyText());
    EXPECT_FALSE(Value().IsEmptyText());
    EXPECT_FALSE(Value(" ").IsEmptyText());
    EXPECT_FALSE(Value(Bytes{}).IsEmptyText());
    EXPECT_TRUE(Value().IsNull());
    EXPECT_NE(Value("1"), Value(1));
    EXPECT_NE(Value("x"), Value(Bytes{"x"}));
    EXPECT_EQ(Value(7), Value(std::int64_t{7}));
}
