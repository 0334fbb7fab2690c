#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>

#include "RepairedColumns.h"
#include "support/TestServer.h"
#include "testdata/Database.h"
#include "testdata/Generator.h"

using testdata::Column;
using testdata::Edition;
using testsupport::AdminQuery;
using testsupport::AdminScalar;
using testsupport::AdminSql;
using testsupport::SqlIdent;
using testsupport::SqlQuote;

namespace {

testdata::Server TestServer() {
    return {testsupport::kCustomerHostA, "root", testsupport::kRootPassword};
}

testdata::PopulateOptions Options(double factor, std::uint64_t seed, std::vector<std::string> tables = {}) {
    testdata::PopulateOptions options;
    options.sizeFactor = factor;
    options.seed = seed;
    options.tables = std::move(tables);
    return options;
}

// A database of the test's own, dropped again at the end.
class ScratchDatabase {
public:
    explicit ScratchDatabase(const std::string& prefix) : name_(testsupport::UniqueName(prefix)) {
        AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(name_));
    }
    ~ScratchDatabase() {
        try {
            AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(name_));
        } catch (const std::exception&) {
        }
    }
    const std::string& name() const { return name_; }

private:
    std::string name_;
};

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// information_schema writes int(11) where the declaration says INT.
std::string WithoutDisplayWidth(const std::string& type) {
    std::string lower = Lower(type);
    if (lower.find("int(") != std::string::npos && lower.back() == ')') lower.erase(lower.find('('));
    return lower;
}

// information_schema's COLUMN_DEFAULT: SQL NULL for none, 'NULL' for NULL, quoted texts.
std::optional<std::string> DefaultValue(const std::optional<std::string>& shown) {
    if (!shown || *shown == "NULL") return std::nullopt;
    if (shown->size() >= 2 && shown->front() == '\'') {
        std::string value;
        for (std::size_t i = 1; i + 1 < shown->size(); ++i) {
            value += (*shown)[i];
            if ((*shown)[i] == '\'') ++i;
        }
        return value;
    }
    return *shown;
}

// Compares what the server made of the tables with the description, for every table or
// for the ones given.
void ExpectSchemaAsDescribed(const std::string& database, Edition edition, std::vector<std::string> only = {}) {
    const std::string schema = SqlQuote(database);
    std::map<std::string, std::vector<testsupport::Row>> columnsOf;
    for (auto& row : AdminQuery("SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE, COLUMN_DEFAULT, "
                                "CHARACTER_SET_NAME, EXTRA FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = " +
                                schema + " ORDER BY TABLE_NAME, ORDINAL_POSITION"))
        columnsOf[*row[0]].push_back(std::move(row));
    std::map<std::string, std::vector<std::string>> keyOf;
    for (const auto& row : AdminQuery("SELECT TABLE_NAME, COLUMN_NAME FROM information_schema.STATISTICS "
                                      "WHERE TABLE_SCHEMA = " +
                                      schema + " AND INDEX_NAME = 'PRIMARY' ORDER BY TABLE_NAME, SEQ_IN_INDEX"))
        keyOf[*row[0]].push_back(*row[1]);
    const auto tables = AdminQuery(
        "SELECT TABLE_NAME, ENGINE, TABLE_COLLATION FROM information_schema.TABLES "
        "WHERE TABLE_SCHEMA = " +
        schema + " ORDER BY TABLE_NAME");
    if (only.empty()) {
        EXPECT_EQ(tables.size(), 80u);
    }
    for (const auto& row : tables) {
        const std::string name = *row[0];
        if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
        SCOPED_TRACE(std::string(testdata::EditionName(edition)) + " " + name);
        const auto& table = testdata::TableOf(edition, name);
        EXPECT_EQ(*row[1], table.engine);
        EXPECT_EQ(row[2]->substr(0, row[2]->find('_')), table.charset);
        EXPECT_EQ(keyOf[name], table.primaryKey);

        const auto& columns = columnsOf[name];
        ASSERT_EQ(columns.size(), table.columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Column& c = table.columns[i];
            const auto& shown = columns[i];
            SCOPED_TRACE(c.name);
            EXPECT_EQ(*shown[1], c.name);
            EXPECT_EQ(WithoutDisplayWidth(*shown[2]), Lower(c.type));
            EXPECT_EQ(*shown[3] == "YES", c.nullable);
            EXPECT_EQ(shown[4].has_value(), c.hasDefault);
            EXPECT_EQ(DefaultValue(shown[4]), c.defaultValue);
            EXPECT_EQ(shown[5].value_or(""), c.charset);
            EXPECT_EQ(shown[6]->find("auto_increment") != std::string::npos, c.autoIncrement);
        }
    }
}

// CHECKSUM TABLE of the given tables, in their order.
std::vector<std::string> Checksums(const std::string& database, const std::vector<std::string>& tables) {
    std::string list;
    for (const std::string& t : tables) list += (list.empty() ? "" : ", ") + SqlIdent(database) + "." + SqlIdent(t);
    std::vector<std::string> sums;
    for (const auto& row : AdminQuery("CHECKSUM TABLE " + list)) sums.push_back(row[1].value_or("missing"));
    return sums;
}

std::int64_t Count(const std::string& database, const std::string& sql) {
    return std::stoll(AdminScalar(sql, database));
}

}  // namespace

TEST(TestdataDatabase, BothEditionsCreateCleanlyAsDescribed) {
    ScratchDatabase tarn("td_tarn"), velm("td_velm");
    testdata::CreateSchema(TestServer(), tarn.name(), Edition::Tarn);
    testdata::CreateSchema(TestServer(), velm.name(), Edition::Velm);
    ExpectSchemaAsDescribed(tarn.name(), Edition::Tarn);
    ExpectSchemaAsDescribed(velm.name(), Edition::Velm);
    // The order lines are looked up by order number.
    EXPECT_EQ(AdminScalar("SELECT COUNT(*) FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = " +
                          SqlQuote(velm.name()) + " AND TABLE_NAME = 'ordbook_d' AND COLUMN_NAME = 'ordno'"),
              "1");
    // Creating again replaces the tables named.
    testdata::CreateSchema(TestServer(), tarn.name(), Edition::Velm, {"customer", "custprodmatch"});
    ExpectSchemaAsDescribed(tarn.name(), Edition::Velm, {"customer", "custprodmatch"});
    ExpectSchemaAsDescribed(tarn.name(), Edition::Tarn, {"product_m", "ordbook_d"});
}

TEST(TestdataDatabase, ASmallCustomerFillsQuicklyWithTheGeneratedRows) {
    ScratchDatabase db("td_small");
    testdata::CreateSchema(TestServer(), db.name(), Edition::Tarn);
    const auto result = testdata::Populate(TestServer(), db.name(), Edition::Tarn, Options(1, 5));
    std::cout << "size factor 1: " << result.rows << " rows in " << result.seconds << " s\n";
    RecordProperty("populate_seconds", std::to_string(result.seconds));
    EXPECT_LT(result.seconds, 10.0);
    EXPECT_EQ(result.rows, testdata::TotalRowCount(1));
    ASSERT_EQ(result.rowsPerTable.size(), 80u);
    for (const auto& [table, rows] : result.rowsPerTable) {
        EXPECT_EQ(rows, testdata::RowCount(table, 1)) << table;
        EXPECT_EQ(Count(db.name(), "SELECT COUNT(*) FROM " + SqlIdent(table)), rows) << table;
    }

    // Korean text (also in the euc-kr tables), images and numbers arrive as generated.
    for (std::string_view table : {"customer", "office", "holiday1_d", "sign_img", "product_m", "consignment_m"}) {
        const auto& columns = testdata::ColumnsOf(Edition::Tarn, table);
        std::vector<testdata::Row> rows;
        testdata::ForEachRow(Edition::Tarn, table, 1, 5, [&](const testdata::Row& row) { rows.push_back(row); });
        std::string select;
        for (const Column& c : columns) select += (select.empty() ? "" : ", ") + SqlIdent(c.name);
        const auto stored = AdminQuery("SELECT " + select + " FROM " + SqlIdent(std::string(table)) + " ORDER BY " +
                                           SqlIdent(columns[0].name == "seq" ? "seq" : columns[0].name),
                                       db.name());
        ASSERT_EQ(stored.size(), rows.size()) << table;
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const testdata::Cell& cell = rows[r][c];
                if (cell.kind == testdata::Cell::Kind::Null) {
                    EXPECT_FALSE(stored[r][c].has_value()) << table << "." << columns[c].name;
                } else if (cell.kind != testdata::Cell::Kind::Default) {
                    ASSERT_TRUE(stored[r][c].has_value()) << table << "." << columns[c].name;
                    if (columns[c].BaseType() != "DOUBLE") {
                        EXPECT_EQ(*stored[r][c], cell.data) << table << "." << columns[c].name << " row " << r;
                    }
                }
            }
    }

    // Zero dates are where the generator put them, and the repair statements clear them.
    for (const auto& [table, column] : testdata::ZeroDateColumns()) {
        EXPECT_GT(Count(db.name(), "SELECT COUNT(*) FROM " + SqlIdent(table) + " WHERE " + SqlIdent(column) +
                                       " LIKE '0000-00-00%'"),
                  0)
            << table << "." << column;
    }
    for (const RepairedColumn& r : kRepairedColumns) {
        const std::string table = SqlIdent(std::string(r.table)), column = SqlIdent(std::string(r.column));
        AdminSql("UPDATE " + table + " SET " + column + " = " + SqlQuote(std::string(r.replacement)) + " WHERE " +
                     column + " = " + SqlQuote(std::string(r.zero)),
                 db.name());
        EXPECT_EQ(Count(db.name(), "SELECT COUNT(*) FROM " + table + " WHERE " + column + " LIKE '0000-00-00%'"), 0);
        EXPECT_GT(Count(db.name(), "SELECT COUNT(*) FROM " + table + " WHERE " + column + " = " +
                                       SqlQuote(std::string(r.replacement))),
                  0);
    }
}

TEST(TestdataDatabase, OrderLinesFormChainsWithinTheirOrders) {
    ScratchDatabase db("td_lines");
    testdata::CreateSchema(TestServer(), db.name(), Edition::Tarn, {"ordbook_d"});
    testdata::Populate(TestServer(), db.name(), Edition::Tarn, Options(3, 9, {"ordbook_d"}));
    const std::int64_t lines = Count(db.name(), "SELECT COUNT(*) FROM ordbook_d");
    ASSERT_EQ(lines, testdata::RowCount("ordbook_d", 3));
    // Every line reaches a top line through parents of its own order, without cycles.
    const auto chains = AdminQuery(
        "WITH RECURSIVE chain AS ("
        " SELECT seq, ordno, 1 AS depth FROM ordbook_d WHERE parentseq = seq"
        " UNION ALL SELECT d.seq, d.ordno, c.depth + 1 FROM ordbook_d d"
        " JOIN chain c ON d.parentseq = c.seq AND d.ordno = c.ordno AND d.parentseq <> d.seq)"
        " SELECT COUNT(*), MAX(depth), SUM(depth >= 3) FROM chain",
        db.name());
    EXPECT_EQ(std::stoll(*chains[0][0]), lines);
    EXPECT_GE(std::stoll(*chains[0][1]), 3);
    EXPECT_GT(std::stoll(*chains[0][2]), 5);
    EXPECT_GT(Count(db.name(), "SELECT COUNT(*) FROM ordbook_d WHERE parentseq > seq"), 0);
}

TEST(TestdataDatabase, TheSameSeedMakesTheSameDatabase) {
    ScratchDatabase a("td_same_a"), b("td_same_b"), c("td_other");
    testdata::CreateSchema(TestServer(), a.name(), Edition::Velm);
    testdata::CreateSchema(TestServer(), b.name(), Edition::Velm);
    testdata::Populate(TestServer(), a.name(), Edition::Velm, Options(1, 7));
    testdata::Populate(TestServer(), b.name(), Edition::Velm, Options(1, 7));
    std::vector<std::string> all;
    for (std::string_view t : testdata::TableNames()) all.emplace_back(t);
    EXPECT_EQ(Checksums(a.name(), all), Checksums(b.name(), all));

    const std::vector<std::string> some = {"customer", "sale", "ordbook_d", "sign_img"};
    testdata::CreateSchema(TestServer(), c.name(), Edition::Velm, some);
    testdata::Populate(TestServer(), c.name(), Edition::Velm, Options(1, 8, some));
    const auto seven = Checksums(a.name(), some), eight = Checksums(c.name(), some);
    for (std::size_t i = 0; i < some.size(); ++i) EXPECT_NE(seven[i], eight[i]) << some[i];
}
