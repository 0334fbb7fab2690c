// cMySQL statements and results: query, real_query, the listings and the counts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ConnectedCustomerTest.h"
#include "MySQLTestSupport.h"
#include "common/MsgBox.h"
#include "support/ScriptedMsgBox.h"

using namespace mysqltest;
using ::testing::ElementsAre;

namespace {
class Query : public ConnectedCustomerTest {
protected:
    std::string Tables() const override {
        return "CREATE TABLE item (id INT AUTO_INCREMENT PRIMARY KEY, name VARCHAR(10), memo LONGTEXT, qty INT);"
               "INSERT INTO item (name, memo, qty) VALUES ('  사과  ', NULL, 3), ('배', '', 4), (' pear', ' x ', 5)";
    }
};
}  // namespace

TEST_F(Query, SelectWithoutRowsGivesAllFieldsAndNoRecords) {
    auto rs = m_.query("SELECT id, name FROM item WHERE qty > 100");
    ASSERT_NE(rs, nullptr);
    EXPECT_THAT(FieldNames(*rs), ElementsAre("id", "name"));
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(m_.affected_rows(), 0);
    EXPECT_EQ(m_.num_rows(), 0);
    EXPECT_EQ(m_.num_fields(), 2);
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Query, RowsComeAsTrimmedTextWithNullAsEmptyAndTheRecordsetOnItsLastRow) {
    auto rs = m_.query("SELECT name, memo, qty FROM item ORDER BY id");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(m_.affected_rows(), 3);  // callers read it as the number of rows returned
    // Left after its last added row, not moved back to the first.
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ((*rs)["name"].GetValue().Text(), "pear");
    EXPECT_EQ(Column(*rs, "name"), (std::vector<std::string>{"사과", "배", "pear"}));
    EXPECT_EQ(Column(*rs, "memo"), (std::vector<std::string>{"", "", "x"}));
    EXPECT_EQ(Column(*rs, "qty"), (std::vector<std::string>{"3", "4", "5"}));
    rs->MoveFirst();
    EXPECT_TRUE((*rs)["memo"].GetValue().IsText());  // NULL arrives as text, not as Null
    for (int i = 0; i < rs->GetFields().Count(); ++i) {
        EXPECT_EQ(rs->GetFields().Item(i).Type(), ado::adBSTR);
        EXPECT_EQ(rs->GetFields().Item(i).Attributes(), ado::adFldUnspecified);
    }
}

TEST_F(Query, OnlyPlainSpacesAreTrimmedFromValuesAndNames) {
    auto rs = m_.query("SELECT '\\tx\\t' AS `tab`, '  ' AS ` padded `, ' 한 글 ' AS k");
    ASSERT_NE(rs, nullptr);
    EXPECT_THAT(FieldNames(*rs), ElementsAre("tab", "padded", "k"));
    EXPECT_EQ((*rs)["tab"].GetValue().Text(), "\tx\t");
    EXPECT_EQ((*rs)["padded"].GetValue().Text(), "");
    EXPECT_EQ((*rs)["k"].GetValue().Text(), "한 글");
}

TEST_F(Query, DefinedSizeIsTheDisplayWidthReadAsSigned32Bits) {
    auto rs = m_.query("SELECT id, name, memo FROM item");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(rs->GetFields().Item("id").DefinedSize(), 11);
    EXPECT_EQ(rs->GetFields().Item("name").DefinedSize(), 40);  // 10 characters of up to 4 bytes
    EXPECT_EQ(rs->GetFields().Item("memo").DefinedSize(), -1);  // LONGTEXT: 4294967295
}

TEST_F(Query, StatementWithoutRowsGivesNoRecordsetAndTheChangedRowCount) {
    EXPECT_EQ(m_.query("UPDATE item SET qty = qty + 1 WHERE qty < 5"), nullptr);
    EXPECT_EQ(m_.affected_rows(), 2);
    EXPECT_EQ(m_.query("INSERT INTO item (name, qty) VALUES ('감', 1)"), nullptr);
    EXPECT_EQ(m_.affected_rows(), 1);
    EXPECT_EQ(m_.insert_id(), 4);
    EXPECT_EQ(testsupport::AdminScalar("SELECT SUM(qty) FROM item", customer_.database), "15");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Query, RejectedStatementShowsNumberAndTextWhateverNoErrMsgSays) {
    for (bool noErrMsg : {false, true}) {
        boxes_.Clear();
        cMySQL m;
        ASSERT_TRUE(Connect(m, customer_, noErrMsg));
        EXPECT_EQ(m.query("SELEC name FROM item"), nullptr);  // raises nothing
        EXPECT_EQ(m.err_no(), 1064);
        ASSERT_EQ(boxes_.Boxes().size(), 1u);
        EXPECT_EQ(boxes_.Boxes()[0].prompt, "Error 1064 (" + m.err_description() + ")");
        EXPECT_NE(m.err_description().find("SQL syntax"), std::string::npos);
        EXPECT_EQ(boxes_.Boxes()[0].buttons, mb::kOkOnly);
        // The library's all-ones value narrowed: callers that look for a count above 0 see a miss.
        EXPECT_EQ(m.affected_rows(), -1);
    }
}

TEST_F(Query, LocalFilesAreNeverSent) {
    EXPECT_EQ(m_.query("LOAD DATA LOCAL INFILE '/etc/hostname' INTO TABLE item (name)"), nullptr);
    EXPECT_NE(m_.err_no(), 0);
    auto rs = m_.query("SELECT COUNT(*) AS n FROM item");
    EXPECT_EQ(rs->GetFields().Item("n").GetValue().Text(), "3");
}

TEST_F(Query, ServerTextWithSurroundingSpacesLosesThem) {
    EXPECT_EQ(m_.query("SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = '  공백 앞뒤  '"), nullptr);
    EXPECT_EQ(m_.err_no(), 1644);
    EXPECT_EQ(m_.err_description(), "공백 앞뒤");
    EXPECT_THAT(boxes_.Prompts(), ElementsAre("Error 1644 (공백 앞뒤)"));
}

TEST_F(Query, NulInsideTheStatementTravelsWithIt) {
    // Sent at its full length: the server sees the NUL inside the literal, not a cut statement.
    auto rs = m_.query(std::string("SELECT LENGTH('a\0b') AS n", 25));
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ((*rs)["n"].GetValue().Text(), "3");
}

TEST_F(Query, CountsReadTheLatestResultAndFreeResultKeepsIt) {
    cMySQL fresh;
    EXPECT_EQ(fresh.num_rows(), 0);
    EXPECT_EQ(fresh.num_fields(), 0);
    EXPECT_FALSE(fresh.eof());

    ASSERT_NE(m_.query("SELECT id, name, qty FROM item"), nullptr);
    m_.free_result();
    EXPECT_EQ(m_.num_rows(), 3);
    EXPECT_EQ(m_.num_fields(), 3);
    EXPECT_TRUE(m_.eof());  // a stored result has been read to its end
    // A statement without rows leaves the previous result in place.
    EXPECT_EQ(m_.query("DO 1"), nullptr);
    EXPECT_EQ(m_.num_fields(), 3);
    // A returned recordset keeps its values after the object has gone.
    std::shared_ptr<ado::Recordset> kept;
    {
        cMySQL other;
        ASSERT_TRUE(Connect(other, customer_));
        kept = other.query("SELECT name FROM item WHERE qty = 4");
    }
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(Column(*kept, "name"), std::vector<std::string>{"배"});
}

TEST_F(Query, RealQuerySendsTheGivenBytesAndRaisesItsErrors) {
    const std::string sql = "SELECT name FROM item WHERE qty = 4; DROP TABLE item";
    auto rs = m_.real_query(sql, 35);
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ(Column(*rs, "name"), std::vector<std::string>{"배"});

    VbError e = RaisedBy([&] { m_.real_query("SELEC 1", 7); });
    EXPECT_EQ(e.number(), 1064);
    EXPECT_EQ(e.source(), "cMysql::real_query");
    EXPECT_EQ(e.description(), m_.err_description());
    // A length beyond the text would make the library read past it.
    e = RaisedBy([&] { m_.real_query("SELECT 1", 9); });
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.source(), "cMysql::real_query");
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(testsupport::AdminScalar("SELECT COUNT(*) FROM item", customer_.database), "3");
}

TEST_F(Query, ListingsGiveRecordsetsAndTreatThePatternAsData) {
    testsupport::AdminSql("CREATE TABLE item_log (id INT); CREATE TABLE other (id INT)", customer_.database);
    auto tables = m_.list_tables("item%");
    ASSERT_NE(tables, nullptr);
    EXPECT_EQ(Column(*tables, tables->GetFields().Item(0).Name()), (std::vector<std::string>{"item", "item_log"}));

    auto dbs = m_.list_dbs(customer_.database);
    ASSERT_NE(dbs, nullptr);
    EXPECT_EQ(Column(*dbs, dbs->GetFields().Item(0).Name()), std::vector<std::string>{customer_.database});
    // A quote in the pattern is a character to look for, not the end of the SQL string.
    auto none = m_.list_tables("x' OR '1'='1");
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->Eof());

    auto fields = m_.list_fields("item");
    ASSERT_NE(fields, nullptr);
    EXPECT_THAT(FieldNames(*fields), ElementsAre("id", "name", "memo", "qty"));
    EXPECT_TRUE(fields->Eof());
    EXPECT_EQ(m_.list_fields("no_such_table"), nullptr);
    EXPECT_EQ(m_.list_fields(), nullptr);

    auto processes = m_.list_processes();
    ASSERT_NE(processes, nullptr);
    bool foundSelf = false;
    for (const auto& id : Column(*processes, "Id")) foundSelf |= id == std::to_string(m_.thread_id());
    EXPECT_TRUE(foundSelf);
    EXPECT_TRUE(boxes_.Boxes().empty());
}
