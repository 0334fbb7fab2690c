// How cMySQL names the fields of a result whose columns share a name.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConnectedCustomerTest.h"
#include "MySQLTestSupport.h"
#include "support/ScriptedMsgBox.h"

using namespace mysqltest;
using ::testing::ElementsAre;

namespace {
class FieldNaming : public ConnectedCustomerTest {
protected:
    std::string Tables() const override {
        return "CREATE TABLE a (id INT, x INT); CREATE TABLE b (id INT, y INT); CREATE TABLE c (id INT);"
               "CREATE TABLE d (id INT, ID2 INT); INSERT INTO a VALUES (1, 10); INSERT INTO b VALUES (2, 20);"
               "INSERT INTO c VALUES (3); INSERT INTO d VALUES (4, 40)";
    }
};
}  // namespace

TEST_F(FieldNaming, ThirdColumnOfTheSameNameKeepsItsPlainName) {
    auto rs = m_.query("SELECT a.id, b.id, c.id, a.x FROM a JOIN b JOIN c");
    ASSERT_NE(rs, nullptr);
    EXPECT_THAT(FieldNames(*rs), ElementsAre("a.id", "b.id", "id", "x"));
    EXPECT_EQ((*rs)["a.id"].GetValue().Text(), "1");
    EXPECT_EQ((*rs)["b.id"].GetValue().Text(), "2");
    EXPECT_EQ((*rs)["id"].GetValue().Text(), "3");
}

TEST_F(FieldNaming, FourthColumnQualifiesTheThirdAndAliasesNameTheTable) {
    auto rs = m_.query("SELECT p.id, q.id, r.id, s.id FROM a p JOIN b q JOIN c r JOIN d s");
    ASSERT_NE(rs, nullptr);
    EXPECT_THAT(FieldNames(*rs), ElementsAre("p.id", "q.id", "r.id", "s.id"));
    EXPECT_EQ((*rs)["s.id"].GetValue().Text(), "4");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(FieldNaming, NamesDifferingInCaseOrSpellingAreLeftAlone) {
    auto rs = m_.query("SELECT d.ID2, a.x, b.y FROM a JOIN b JOIN d");
    ASSERT_NE(rs, nullptr);
    EXPECT_THAT(FieldNames(*rs), ElementsAre("ID2", "x", "y"));
}

TEST_F(FieldNaming, SameNameFromTheSameTableEndsInTheQueryErrorBox) {
    // Both become a.id; the recordset refuses the second one and query reports it.
    EXPECT_EQ(m_.query("SELECT id, id FROM a"), nullptr);
    EXPECT_THAT(boxes_.Prompts(), ElementsAre("Error 3367 (Object is already in collection. Cannot append.)"));
    // Outside query the same failure reaches the caller.
    VbError e = RaisedBy([&] { m_.real_query("SELECT id, id FROM a", 20); });
    EXPECT_EQ(e.number(), 3367);
}
