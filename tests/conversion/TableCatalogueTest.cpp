#include <gtest/gtest.h>

#include <set>
#include <string>

#include "conversion/TableCatalogue.h"

TEST(TableCatalogue, HoldsEightyDistinctPlainTableNames) {
    const auto& tables = TableCatalogue();
    std::set<std::string_view> distinct(tables.begin(), tables.end());
    EXPECT_EQ(distinct.size(), 80u);
    for (std::string_view name : tables) {
        ASSERT_FALSE(name.empty());
        for (char c : name) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') << name;
    }
}

TEST(TableCatalogue, KeepsTheListOrder) {
    const auto& tables = TableCatalogue();
    EXPECT_EQ(tables[0], "local_user");
    EXPECT_EQ(tables[6], "customer");
    EXPECT_EQ(tables[9], "product_m");
    EXPECT_EQ(tables[35], "ordbook_m");
    EXPECT_EQ(tables[36], "ordbook_d");
    EXPECT_EQ(tables[40], "sale");
    EXPECT_EQ(tables[77], "sign_img");
    EXPECT_EQ(tables[79], "pda_regist_history");
}
