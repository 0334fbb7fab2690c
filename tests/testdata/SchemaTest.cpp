#include <gtest/gtest.h>

#include <set>
#include <string>

#include "RepairedColumns.h"
#include "conversion/TableCatalogue.h"
#include "testdata/Schema.h"

using testdata::Column;
using testdata::ColumnChange;
using testdata::ColumnsOf;
using testdata::DifferencesOf;
using testdata::Edition;
using testdata::TableOf;

namespace {
const Column& ColumnOf(Edition edition, std::string_view table, std::string_view column) {
    const Column* c = TableOf(edition, table).Find(column);
    if (!c) throw std::runtime_error(std::string(table) + "." + std::string(column) + " is missing");
    return *c;
}
}  // namespace

TEST(TestdataSchema, CoversTheCatalogueInOrderInBothEditions) {
    const auto names = testdata::TableNames();
    ASSERT_EQ(names.size(), TableCatalogue().size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(names[i], TableCatalogue()[i]);
        for (Edition e : {Edition::Tarn, Edition::Velm}) {
            const auto& table = TableOf(e, names[i]);
            EXPECT_EQ(table.name, names[i]);
            EXPECT_FALSE(table.primaryKey.empty()) << names[i];
            for (const std::string& key : table.primaryKey)
                EXPECT_NE(table.Find(key), nullptr) << names[i] << "." << key;
            std::set<std::string> distinct;
            for (const Column& c : table.columns)
                EXPECT_TRUE(distinct.insert(c.name).second) << names[i] << "." << c.name;
        }
    }
    EXPECT_THROW(TableOf(Edition::Tarn, "no_such_table"), std::out_of_range);
}

TEST(TestdataSchema, ZeroDateColumnsAreDatesThatDefaultToZeroInTheOlderEdition) {
    for (const RepairedColumn& r : kRepairedColumns) {
        SCOPED_TRACE(std::string(r.table) + "." + std::string(r.column));
        const Column& tarn = ColumnOf(Edition::Tarn, r.table, r.column);
        EXPECT_EQ(tarn.BaseType(), r.zero.size() == 10 ? "DATE" : "DATETIME");
        EXPECT_FALSE(tarn.nullable);
        EXPECT_EQ(tarn.defaultValue, r.zero);
        EXPECT_TRUE(ColumnOf(Edition::Velm, r.table, r.column).IsDateOrTime());
    }
}

TEST(TestdataSchema, ColumnsTheProgramNamesHaveFittingTypes) {
    for (Edition e : {Edition::Tarn, Edition::Velm}) {
        SCOPED_TRACE(std::string(testdata::EditionName(e)));
        for (std::string_view table : {"customer", "product_m"}) {
            EXPECT_EQ(TableOf(e, table).primaryKey.size(), 1u);
            EXPECT_EQ(ColumnOf(e, table, "lastmodify").BaseType(), "DATETIME");
        }
        EXPECT_EQ(ColumnOf(e, "customer", "lastemaildate").BaseType(), "DATETIME");
        EXPECT_EQ(ColumnOf(e, "billnote", "expiredate").BaseType(), "DATE");
        EXPECT_EQ(ColumnOf(e, "billnote", "dealdate").BaseType(), "DATE");

        // Order lines: the database assigns the key; lines name their parent's key.
        const auto& lines = TableOf(e, "ordbook_d");
        EXPECT_EQ(lines.primaryKey, std::vector<std::string>{"seq"});
        EXPECT_EQ(ColumnOf(e, "ordbook_d", "seq").BaseType(), "INT");
        EXPECT_TRUE(ColumnOf(e, "ordbook_d", "seq").autoIncrement);
        EXPECT_EQ(ColumnOf(e, "ordbook_d", "ordno").BaseType(), "INT");
        EXPECT_EQ(ColumnOf(e, "ordbook_d", "parentseq").BaseType(), "INT");
        EXPECT_FALSE(ColumnOf(e, "ordbook_d", "parentseq").nullable);
        EXPECT_TRUE(ColumnOf(e, "ordbook_d", "unit").IsText());

        EXPECT_TRUE(ColumnOf(e, "sign_img", "sign_img").IsBinary());
    }
    // The newer edition keeps a line's old key in `unit` as text: any 32-bit key must fit.
    EXPECT_GE(ColumnOf(Edition::Velm, "ordbook_d", "unit").Length(), 11);
}

TEST(TestdataSchema, TheNewerEditionDiffersTheWayAnUpgradeDoes) {
    int addedWithValueDefault = 0, addedNullable = 0, dropped = 0, textWidened = 0, numberWidened = 0,
        dateTimeToDate = 0, textToDate = 0, numberToText = 0, nullableToDefault = 0, charsetChanged = 0, reordered = 0,
        myisam = 0, innodb = 0;
    for (std::string_view table : testdata::TableNames()) {
        const auto d = DifferencesOf(table);
        EXPECT_EQ(d.velmEngine, "InnoDB");
        EXPECT_EQ(d.velmCharset, "utf8mb4");
        (d.tarnEngine == "MyISAM" ? myisam : innodb)++;
        reordered += d.orderChanged;
        for (const auto& c : d.columns) {
            charsetChanged += c.charsetChanged;
            if (c.change == ColumnChange::Added) {
                ASSERT_TRUE(c.velm && !c.tarn);
                EXPECT_TRUE(c.velm->hasDefault || c.velm->autoIncrement) << table << "." << c.column;
                if (!c.velm->nullable && c.velm->defaultValue) ++addedWithValueDefault;
                if (c.velm->nullable) ++addedNullable;
            }
            if (c.change == ColumnChange::Dropped) ++dropped;
            if (c.change != ColumnChange::Retyped) continue;
            const Column &t = *c.tarn, &v = *c.velm;
            if (t.BaseType() == "VARCHAR" && v.BaseType() == "VARCHAR" && v.Length() > t.Length()) ++textWidened;
            if ((t.BaseType() == "INT" && v.BaseType() == "BIGINT") || (t.BaseType() == "DECIMAL" && v.type > t.type))
                ++numberWidened;
            if (t.BaseType() == "DATETIME" && v.BaseType() == "DATE") ++dateTimeToDate;
            if (t.IsText() && v.BaseType() == "DATE") ++textToDate;
            if (t.BaseType() == "INT" && v.IsText()) ++numberToText;
            if (t.nullable && !v.nullable && v.defaultValue) ++nullableToDefault;
        }
    }
    EXPECT_GE(addedWithValueDefault, 5);
    EXPECT_GE(addedNullable, 2);
    EXPECT_GE(dropped, 3);
    EXPECT_GE(textWidened, 5);
    EXPECT_GE(numberWidened, 3);
    EXPECT_GE(dateTimeToDate, 1);
    EXPECT_GE(textToDate, 1);
    EXPECT_GE(numberToText, 1);
    EXPECT_GE(nullableToDefault, 1);
    EXPECT_GE(charsetChanged, 100);
    EXPECT_GE(reordered, 2);
    EXPECT_GE(myisam, 5);
    EXPECT_GE(innodb, 40);

    // A few changes the end-to-end checks lean on.
    const auto customer = DifferencesOf("customer");
    EXPECT_EQ(customer.Find("fax")->change, ColumnChange::Dropped);
    EXPECT_EQ(customer.Find("email")->change, ColumnChange::Retyped);
    EXPECT_EQ(customer.Find("use_yn")->change, ColumnChange::Added);
    EXPECT_EQ(customer.Find("use_yn")->velm->defaultValue, "Y");
    EXPECT_EQ(customer.Find("custcode")->change, ColumnChange::Unchanged);
    EXPECT_TRUE(customer.Find("custcode")->charsetChanged);
    EXPECT_TRUE(DifferencesOf("custprodmatch").keyChanged);
    EXPECT_FALSE(DifferencesOf("ordbook_d").keyChanged);
}

TEST(TestdataSchema, CreateStatementsCarryEngineCharsetAndKeys) {
    const std::string tarn = testdata::CreateTableSql(Edition::Tarn, "local_user");
    EXPECT_NE(tarn.find("ENGINE=MyISAM DEFAULT CHARSET=utf8mb3"), std::string::npos) << tarn;
    const std::string velm = testdata::CreateTableSql(Edition::Velm, "custprodmatch");
    EXPECT_NE(velm.find("PRIMARY KEY (`seq`)"), std::string::npos) << velm;
    EXPECT_NE(velm.find("UNIQUE KEY `uk_custprodmatch` (`custcode`,`prodcode`)"), std::string::npos) << velm;
    EXPECT_EQ(ColumnsOf(Edition::Velm, "custprodmatch").front().name, "seq");
}
