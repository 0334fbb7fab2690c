#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "RepairedColumns.h"
#include "testdata/Generator.h"

using testdata::Cell;
using testdata::ColumnsOf;
using testdata::Edition;
using testdata::ForEachRow;
using testdata::Row;
using testdata::RowCount;

namespace {

std::vector<Row> RowsOf(Edition edition, std::string_view table, double factor = 1, std::uint64_t seed = 1) {
    std::vector<Row> rows;
    ForEachRow(edition, table, factor, seed, [&](const Row& row) { rows.push_back(row); });
    return rows;
}

std::size_t IndexOf(Edition edition, std::string_view table, std::string_view column) {
    const auto& columns = ColumnsOf(edition, table);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].name == column) return i;
    throw std::runtime_error("no column " + std::string(column));
}

std::int64_t Int(const Cell& cell) {
    return std::stoll(cell.data);
}

bool HasHangul(const std::string& text) {
    // Hangul syllables U+AC00..U+D7A3 are encoded as EA B0 80 .. ED 9E A3.
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0xEA && b <= 0xED) return true;
    }
    return false;
}

}  // namespace

TEST(Generator, TheSameSeedGivesTheSameRowsAnotherSeedOthers) {
    for (std::string_view table : {"customer", "ordbook_d", "sign_img", "custprodmatch", "local_user"}) {
        SCOPED_TRACE(std::string(table));
        const auto first = RowsOf(Edition::Tarn, table, 1, 42);
        EXPECT_EQ(first, RowsOf(Edition::Tarn, table, 1, 42));
        EXPECT_NE(first, RowsOf(Edition::Tarn, table, 1, 43));
    }
}

TEST(Generator, RowCountsFollowTheSizeFactor) {
    EXPECT_EQ(RowCount("sale", 1), 400);
    EXPECT_EQ(RowCount("local_user", 1), RowCount("local_user", 1000));
    EXPECT_EQ(RowCount("customer", 0.001), 1);
    for (std::string_view empty : {"pclsdc", "qltydc", "weeklyplanadd", "security_time", "pda_regist_history"})
        EXPECT_EQ(RowCount(empty, 1000), 0) << empty;
    EXPECT_THROW(RowCount("sale", 0), std::invalid_argument);

    // The benchmark size.
    EXPECT_GE(testdata::TotalRowCount(1000), 1'000'000);
    EXPECT_GE(RowCount("sale", 1000), 400'000);
    EXPECT_GE(RowCount("ordbook_d", 1000), 100'000);
    // The test size stays small.
    EXPECT_LE(testdata::TotalRowCount(1), 3000);

    for (std::string_view table : testdata::TableNames())
        for (Edition e : {Edition::Tarn, Edition::Velm}) {
            const auto rows = RowsOf(e, table, 0.5);
            ASSERT_EQ(static_cast<std::int64_t>(rows.size()), RowCount(table, 0.5)) << table;
            for (const Row& row : rows) ASSERT_EQ(row.size(), ColumnsOf(e, table).size()) << table;
        }
}

TEST(Generator, ColumnsOfBothEditionsGetTheSameValuesAsTheirTypesTakeThem) {
    const auto tarn = RowsOf(Edition::Tarn, "customer");
    const auto velm = RowsOf(Edition::Velm, "customer");
    ASSERT_EQ(tarn.size(), velm.size());
    const auto value = [](const std::vector<Row>& rows, Edition e, std::size_t row, std::string_view column) {
        return rows[row][IndexOf(e, "customer", column)];
    };
    int blankBirthdays = 0, nullEmails = 0, zeroDates = 0;
    for (std::size_t i = 0; i < tarn.size(); ++i) {
        for (std::string_view same : {"custcode", "custname", "ceo", "balance", "regdate"})
            EXPECT_EQ(value(tarn, Edition::Tarn, i, same), value(velm, Edition::Velm, i, same)) << same;
        // A birthday kept as text in the older edition is a DATE in the newer one.
        const Cell birthday = value(tarn, Edition::Tarn, i, "birthday");
        if (birthday.data.empty()) {
            ++blankBirthdays;
            EXPECT_EQ(value(velm, Edition::Velm, i, "birthday").kind, Cell::Kind::Null);
        } else {
            EXPECT_EQ(value(velm, Edition::Velm, i, "birthday"), birthday);
        }
        // A NULL e-mail becomes the default where the newer edition refuses NULL.
        if (value(tarn, Edition::Tarn, i, "email").kind == Cell::Kind::Null) {
            ++nullEmails;
            EXPECT_EQ(value(velm, Edition::Velm, i, "email").kind, Cell::Kind::Default);
        }
        if (value(tarn, Edition::Tarn, i, "lastmodify").data == kZeroDateTime) {
            ++zeroDates;
            EXPECT_NE(value(velm, Edition::Velm, i, "lastmodify").data, kZeroDateTime);
        }
    }
    EXPECT_GT(blankBirthdays, 0);
    EXPECT_GT(nullEmails, 0);
    EXPECT_GT(zeroDates, 0);

    // A DATETIME of the older edition is the same day in the newer edition's DATE column.
    const auto tarnPlans = RowsOf(Edition::Tarn, "schedules");
    const auto velmPlans = RowsOf(Edition::Velm, "schedules");
    const std::string regdate = tarnPlans[0][IndexOf(Edition::Tarn, "schedules", "regdate")].data;
    ASSERT_EQ(regdate.size(), 19u);
    EXPECT_EQ(velmPlans[0][IndexOf(Edition::Velm, "schedules", "regdate")].data, regdate.substr(0, 10));
}

TEST(Generator, OrderLinesHangUnderLinesOfTheSameOrderSeveralLevelsDeep) {
    for (double factor : {1.0, 20.0}) {
        SCOPED_TRACE(factor);
        const auto rows = RowsOf(Edition::Tarn, "ordbook_d", factor);
        const std::size_t seqAt = IndexOf(Edition::Tarn, "ordbook_d", "seq");
        const std::size_t ordnoAt = IndexOf(Edition::Tarn, "ordbook_d", "ordno");
        const std::size_t parentAt = IndexOf(Edition::Tarn, "ordbook_d", "parentseq");

        std::map<std::int64_t, std::pair<std::int64_t, std::int64_t>> lines;  // seq -> (ordno, parentseq)
        std::int64_t previous = 0;
        for (const Row& row : rows) {
            const std::int64_t seq = Int(row[seqAt]);
            EXPECT_GT(seq, previous) << "lines come in key order, keys unique";
            previous = seq;
            lines[seq] = {Int(row[ordnoAt]), Int(row[parentAt])};
        }
        const std::int64_t firstOrder = 100001, orders = RowCount("ordbook_m", factor);
        int tops = 0, childBeforeParent = 0, deepest = 0;
        for (const auto& [seq, line] : lines) {
            const auto [ordno, parent] = line;
            EXPECT_GE(ordno, firstOrder);
            EXPECT_LT(ordno, firstOrder + orders);
            if (parent == seq) {
                ++tops;
                continue;
            }
            ASSERT_TRUE(lines.count(parent)) << "line " << seq << " names a missing parent " << parent;
            EXPECT_EQ(lines[parent].first, ordno) << "line " << seq << " hangs under another order's line";
            childBeforeParent += seq < parent;
            int depth = 1;
            for (std::int64_t at = seq; lines[at].second != at; at = lines[at].second) {
                ASSERT_LT(++depth, 20) << "a cycle through line " << seq;
            }
            deepest = std::max(deepest, depth);
        }
        EXPECT_GT(tops, 0);
        EXPECT_GT(childBeforeParent, 0);
        EXPECT_GE(deepest, 3);
        // Keys have gaps, so keys a target assigns afresh differ from the old ones.
        EXPECT_GT(lines.rbegin()->first - lines.begin()->first + 1, static_cast<std::int64_t>(lines.size()));
    }
}

TEST(Generator, OlderEditionHoldsZeroDatesInTheRepairedColumnsAndAFewOthers) {
    const auto zeroColumns = testdata::ZeroDateColumns();
    std::set<std::pair<std::string, std::string>> listed(zeroColumns.begin(), zeroColumns.end());
    for (const RepairedColumn& r : kRepairedColumns)
        EXPECT_TRUE(listed.count({std::string(r.table), std::string(r.column)})) << r.table << "." << r.column;
    EXPECT_GE(listed.size(), kRepairedColumns.size() + 3);

    for (const auto& [table, column] : zeroColumns) {
        SCOPED_TRACE(table + "." + column);
        int zero = 0, real = 0;
        for (const Row& row : RowsOf(Edition::Tarn, table)) {
            const Cell& cell = row[IndexOf(Edition::Tarn, table, column)];
            (cell.data.starts_with("0000-00-00") ? zero : real)++;
        }
        EXPECT_GT(zero, 0);
        EXPECT_GT(real, 0);
    }
}

TEST(Generator, RowsCarryKoreanTextNullsDecimalsAndImages) {
    std::set<std::string> korean;
    int nulls = 0, cents = 0;
    for (std::string_view table : testdata::TableNames()) {
        const auto& columns = ColumnsOf(Edition::Tarn, table);
        const auto rows = RowsOf(Edition::Tarn, table);
        if (rows.empty()) continue;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            for (const Row& row : rows) {
                if (HasHangul(row[c].data)) korean.insert(std::string(table) + "." + columns[c].name);
                nulls += row[c].kind == Cell::Kind::Null;
                if (columns[c].Scale() == 2 && row[c].kind == Cell::Kind::Number && !row[c].data.ends_with(".00"))
                    ++cents;
            }
        }
    }
    // Codes, references, phone numbers and the like stay ASCII; names, addresses and notes are Korean.
    EXPECT_GE(korean.size(), 90u);
    for (std::string_view column : {"customer.custname", "customer.ceo", "customer.addr1", "customer.memo",
                                    "product_m.prodname", "ordbook_d.prodname", "ordbook_d.unit", "office.offname",
                                    "holiday1_m.hname", "sale.memo", "local_user.username", "buy_log.before_data"})
        EXPECT_TRUE(korean.count(std::string(column))) << column;
    EXPECT_GT(nulls, 100);
    EXPECT_GT(cents, 50);

    const auto images = RowsOf(Edition::Tarn, "sign_img");
    const std::size_t at = IndexOf(Edition::Tarn, "sign_img", "sign_img");
    int pictures = 0;
    for (const Row& row : images)
        if (row[at].kind == Cell::Kind::Binary) {
            ++pictures;
            EXPECT_TRUE(row[at].data.starts_with("\x89PNG"));
            EXPECT_GE(row[at].data.size(), 200u);
        }
    EXPECT_GT(pictures, 0);
}
