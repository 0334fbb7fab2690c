// A whole run over all 80 tables of a generated customer of the older edition into an
// empty database of the newer edition, then every target table checked against what the
// copy rules say it must hold.
#include <gtest/gtest.h>

#include "ConversionFixture.h"
#include "conversion/TableCatalogue.h"
#include "conversion/ZeroDateRepair.h"
#include "testdata/Database.h"
#include "testdata/Generator.h"
#include "testdata/Schema.h"

using namespace testsupport;
using testdata::Edition;

namespace {

// The SQL type a value is cast to before comparing, so both sides are read as the
// target column takes them.
std::string CastType(const testdata::Column& target) {
    const std::string base = target.BaseType();
    if (base == "DATE") return "DATE";
    if (base == "DATETIME" || base == "TIMESTAMP") return "DATETIME";
    if (base == "TIME") return "TIME";
    if (base == "DECIMAL") return target.type;
    if (base == "FLOAT" || base == "DOUBLE") return "DOUBLE";
    if (base.find("INT") != std::string::npos) return "SIGNED";
    if (target.IsBinary()) return "BINARY";
    return "CHAR";
}

std::string DefaultLiteral(const testdata::Column& column) {
    return column.defaultValue ? SqlQuote(*column.defaultValue) : "NULL";
}

// What the target must hold for a column both editions have, as an SQL expression over
// the source row `s`: Null (and, for a date target, the empty text) leaves the default.
std::string Expected(const testdata::Column& source, const testdata::Column& target) {
    std::string value = "s." + SqlIdent(source.name);
    // A FLOAT arrives as the shortest text of its single-precision value.
    if (source.BaseType() == "FLOAT") value = "CAST(" + value + " AS CHAR)";
    std::string absent = value + " IS NULL";
    if (target.BaseType() == "DATE" && source.IsText()) absent += " OR " + value + " = ''";
    return "IF(" + absent + ", " + DefaultLiteral(target) + ", " + value + ")";
}

struct Mismatch {
    std::string table, column, count;
};

class FullConversion : public ::testing::Test {
protected:
    ConversionFixture f;
    testdata::Server server{kCentralHost, "root", kRootPassword};

    void SetUp() override {
        testdata::CreateSchema(server, f.sourceDb, Edition::Tarn);
        testdata::PopulateOptions options;
        options.seed = 20261208;
        testdata::Populate(server, f.sourceDb, Edition::Tarn, options);
        testdata::CreateSchema(server, f.targetDb, Edition::Velm);
    }

    std::int64_t Count(const std::string& sql) { return std::stoll(AdminScalar(sql)); }
};

}  // namespace

TEST_F(FullConversion, EveryTableHoldsWhatTheRulesSay) {
    // Source counts after the zero-date repair changes nothing in the counts.
    std::vector<std::string> expectedLog;
    for (auto table : TableCatalogue()) {
        const std::string name(table);
        expectedLog.push_back(name + ": " +
                              AdminScalar("SELECT COUNT(*) FROM " + SqlIdent(f.sourceDb) + "." + SqlIdent(name)) +
                              "건 복사");
    }

    f.Start();
    ASSERT_EQ(f.boxes.Prompts(),
              (std::vector<std::string>{"※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?",
                                        "복사가 완료되었습니다."}));
    EXPECT_EQ(f.LogLines(), expectedLog);
    EXPECT_EQ(f.form.Progress(1).Value, 80);

    // The source no longer holds zero dates in the repaired columns.
    for (const char* statement : ZeroDateStatements()) {
        const std::string text = statement;  // "UPDATE t SET c = ... WHERE c = '0000-...'"
        const std::string table = text.substr(7, text.find(' ', 7) - 7);
        const std::string where = text.substr(text.find(" WHERE ") + 7);
        EXPECT_EQ(Count("SELECT COUNT(*) FROM " + SqlIdent(f.sourceDb) + "." + table + " WHERE " + where), 0) << text;
    }

    const std::string s = SqlIdent(f.sourceDb), t = SqlIdent(f.targetDb);
    std::vector<Mismatch> mismatches;
    std::int64_t columnsChecked = 0;
    for (auto tableView : TableCatalogue()) {
        const std::string table(tableView);
        const auto& source = testdata::TableOf(Edition::Tarn, table);
        const auto& target = testdata::TableOf(Edition::Velm, table);
        const std::string from = " FROM " + t + "." + SqlIdent(table) + " t";
        EXPECT_EQ(Count("SELECT COUNT(*)" + from), Count("SELECT COUNT(*) FROM " + s + "." + SqlIdent(table)))
            << table;

        // Target rows meet their source rows by the source's key; order lines by the old
        // key that the copy keeps in "unit".
        std::string join;
        const bool orderDetail = table == "ordbook_d";
        if (orderDetail) {
            join = "s.seq = t.unit";
        } else {
            for (const auto& key : source.primaryKey)
                join += (join.empty() ? "" : " AND ") + ("s." + SqlIdent(key) + " = t." + SqlIdent(key));
        }
        const std::string joined = from + " JOIN " + s + "." + SqlIdent(table) + " s ON " + join;
        EXPECT_EQ(Count("SELECT COUNT(*)" + joined), Count("SELECT COUNT(*)" + from)) << table << ": rows unmatched";

        for (const auto& column : target.columns) {
            if (orderDetail && (column.name == "seq" || column.name == "unit" || column.name == "parentseq")) continue;
            const auto* old = source.Find(column.name);
            std::string wrong;
            if (!old) {
                if (column.autoIncrement) continue;  // keys the target assigns
                wrong = "SELECT COUNT(*)" + from + " WHERE NOT (t." + SqlIdent(column.name) + " <=> " +
                        DefaultLiteral(column) + ")";
            } else {
                const std::string cast = CastType(column);
                const std::string actual = "t." + SqlIdent(column.name);
                std::string expected = Expected(*old, column);
                if (cast != "CHAR" && cast != "BINARY") expected = "CAST(" + expected + " AS " + cast + ")";
                wrong = "SELECT COUNT(*)" + joined + " WHERE NOT (CAST(" + actual + " AS BINARY) <=> CAST(" +
                        (cast == "CHAR" ? "CAST(" + expected + " AS CHAR)" : expected) + " AS BINARY))";
            }
            ++columnsChecked;
            const std::string count = AdminScalar(wrong);
            if (count != "0") mismatches.push_back({table, column.name, count});
        }
    }
    for (const auto& m : mismatches) ADD_FAILURE() << m.table << "." << m.column << ": " << m.count << " rows differ";
    EXPECT_GT(columnsChecked, 400);

    // Order lines: each keeps its old key in unit, and its parent link names the new key
    // of the line that held the old parent key in the same order.
    EXPECT_GT(Count("SELECT COUNT(*) FROM " + t + ".ordbook_d WHERE parentseq <> seq"), 10);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM " + t + ".ordbook_d c JOIN " + s +
                    ".ordbook_d old ON old.seq = c.unit LEFT JOIN " + t +
                    ".ordbook_d p ON p.seq = c.parentseq AND p.ordno = c.ordno "
                    "WHERE p.seq IS NULL OR p.unit <> old.parentseq"),
              0);
}
