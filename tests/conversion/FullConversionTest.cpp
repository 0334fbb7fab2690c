// A whole run over all 80 tables of a generated customer of the older edition into an
// empty database of the newer edition, then every target table checked against what the
// copy rules say it must hold.
#include <gtest/gtest.h>

#include <algorithm>

#include "ConversionFixture.h"
#include "conversion/NumbersAndTimes.h"
#include "conversion/TableCatalogue.h"
#include "conversion/run/ZeroDateRepair.h"
#include "testdata/CopyRules.h"
#include "testdata/Database.h"
#include "testdata/Generator.h"
#include "testdata/Schema.h"

using namespace testsupport;
using testdata::Edition;

namespace {

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
    std::int64_t sourceRows = 0;
    for (auto table : TableCatalogue()) {
        const std::string name(table);
        const std::string rows = AdminScalar("SELECT COUNT(*) FROM " + SqlIdent(f.sourceDb) + "." + SqlIdent(name));
        expectedLog.push_back(name + ": " + rows + "건 복사");
        sourceRows += std::stoll(rows);
    }

    f.Start();
    ASSERT_EQ(f.boxes.Prompts(),
              (std::vector<std::string>{
                  "※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?",
                  "복사가 완료되었습니다."}));
    // Tables side by side finish in any order: each once.
    std::vector<std::string> log = f.RunLines();
    std::ranges::sort(log);
    std::ranges::sort(expectedLog);
    EXPECT_EQ(log, expectedLog);
    EXPECT_EQ(f.form.Progress(1).Value, 80);
    const std::vector<std::string> summary = f.SummaryLines();
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[4], "검증: 일치 80개, 불일치 0개");
    EXPECT_EQ(summary[1], "테이블: 복사 80개, 실패 0개, 실행 안 함 0개");
    EXPECT_EQ(summary[2], "복사한 행: " + GroupDigits(sourceRows) + "건");
    EXPECT_NE(f.RecordText().find("\n" + summary[2] + "\n"), std::string::npos);

    // Every account the run signed in with is refused clear text by the server, so each of
    // the run's sessions was encrypted.
    EXPECT_EQ(
        AdminScalar("SELECT GROUP_CONCAT(DISTINCT ssl_type) FROM mysql.user WHERE host = '127.0.0.%' AND user IN (" +
                    SqlQuote(f.sourceId) + ", " + SqlQuote(f.targetId) + ", " + SqlQuote(builtin::kAdminAccount) + ")"),
        "ANY");

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
        EXPECT_EQ(Count("SELECT COUNT(*)" + from), Count("SELECT COUNT(*) FROM " + s + "." + SqlIdent(table))) << table;

        // Target rows meet their source rows by the source's key; order lines by the old
        // key that the copy keeps in "unit".
        const std::string joined =
            from + " JOIN " + s + "." + SqlIdent(table) + " s ON " + testdata::SourceRowJoin(table);
        EXPECT_EQ(Count("SELECT COUNT(*)" + joined), Count("SELECT COUNT(*)" + from)) << table << ": rows unmatched";

        for (const auto& column : target.columns) {
            const auto* old = source.Find(column.name);
            if (testdata::AssignedByTarget(table, column, old)) continue;
            const std::string wrong =
                "SELECT COUNT(*)" + (old ? joined + " WHERE " + testdata::WrongCopyCondition(*old, column, SqlQuote)
                                         : from + " WHERE " + testdata::WrongDefaultCondition(column, SqlQuote));
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
    EXPECT_EQ(Count(testdata::WrongParentLinksSql(s, t)), 0);
}
