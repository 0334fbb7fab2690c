#include <gtest/gtest.h>

#include <stdexcept>

#include "testdata/ColumnDeclaration.h"

using testdata::ParseColumnDeclaration;

TEST(ColumnDeclaration, ReadsTypeNullabilityDefaultAndCharacterSet) {
    const auto text = ParseColumnDeclaration("memo", "VARCHAR(40) NOT NULL DEFAULT 'it''s'", "utf8mb3");
    EXPECT_EQ(text.type, "VARCHAR(40)");
    EXPECT_EQ(text.BaseType(), "VARCHAR");
    EXPECT_EQ(text.Length(), 40);
    EXPECT_FALSE(text.nullable);
    EXPECT_TRUE(text.hasDefault);
    EXPECT_EQ(text.defaultValue, "it's");
    EXPECT_EQ(text.charset, "utf8mb3");

    const auto choice = ParseColumnDeclaration("use_yn", "ENUM('Y', 'N') NOT NULL DEFAULT 'Y'", "euckr");
    EXPECT_EQ(choice.type, "ENUM('Y', 'N')");
    EXPECT_TRUE(choice.IsText());
    EXPECT_EQ(choice.defaultValue, "Y");

    const auto own = ParseColumnDeclaration("note", "TEXT CHARACTER SET utf8mb4 NULL", "utf8mb3");
    EXPECT_EQ(own.charset, "utf8mb4");
    EXPECT_TRUE(own.nullable);
    EXPECT_TRUE(own.hasDefault);
    EXPECT_EQ(own.defaultValue, std::nullopt);
}

TEST(ColumnDeclaration, NumbersKeysAndDatesHaveNoCharacterSet) {
    const auto key = ParseColumnDeclaration("seq", "INT NOT NULL AUTO_INCREMENT", "utf8mb3");
    EXPECT_TRUE(key.autoIncrement);
    EXPECT_FALSE(key.hasDefault);
    EXPECT_EQ(key.charset, "");

    const auto money = ParseColumnDeclaration("amt", "DECIMAL(15,2) NOT NULL DEFAULT 0.00", "utf8mb3");
    EXPECT_EQ(money.Scale(), 2);
    EXPECT_EQ(money.defaultValue, "0.00");
    EXPECT_EQ(money.Length(), 0);

    const auto date = ParseColumnDeclaration("d", "DATE NULL DEFAULT NULL", "utf8mb3");
    EXPECT_TRUE(date.IsDateOrTime());
    EXPECT_TRUE(date.hasDefault);
    EXPECT_EQ(date.defaultValue, std::nullopt);
}

TEST(ColumnDeclaration, RefusesWhatItCannotRead) {
    EXPECT_THROW(ParseColumnDeclaration("x", "", "utf8mb3"), std::invalid_argument);
    EXPECT_THROW(ParseColumnDeclaration("x", "INT UNSIGNED ZEROFILL", "utf8mb3"), std::invalid_argument);
    EXPECT_THROW(ParseColumnDeclaration("x", "VARCHAR(10) DEFAULT 'open", "utf8mb3"), std::invalid_argument);
}
