// Every copied table compared with its source (here on another server address): a faithful
// copy is verified, the verify command finds a cell, a row and a parent link changed in the
// target afterwards, and rows the customer changes during a copy stay out of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>

#include "ConversionFixture.h"

using namespace testsupport;

namespace {

class Verification : public ::testing::Test {
protected:
    ConversionFixture f;

    void SetUp() override {
        f.CreateZeroDateTables();
        f.SourceSql(
            "CREATE TABLE sale (seq INT PRIMARY KEY, amount DECIMAL(12,2), memo VARCHAR(20), price FLOAT, "
            "  sdate VARCHAR(10), gone INT);"
            "INSERT INTO sale SELECT seq, seq / 4, IF(seq % 7 = 0, NULL, CONCAT('메모', seq)), seq / 3, "
            "  IF(seq % 5 = 0, '', '2024-01-02'), seq FROM seq_1_to_3000;"
            "CREATE TABLE ordbook_d (seq INT AUTO_INCREMENT PRIMARY KEY, ordno INT, unit VARCHAR(10), parentseq INT);"
            "INSERT INTO ordbook_d VALUES (11, 1, 'x', 11), (12, 1, 'y', 11), (13, 2, NULL, 13), (14, 2, NULL, 13),"
            "  (15, 2, NULL, 14)");
        f.TargetSql(
            "CREATE TABLE sale (seq INT PRIMARY KEY, amount DECIMAL(12,2), memo VARCHAR(20), price FLOAT, "
            "  sdate DATE DEFAULT '1900-01-01', kind VARCHAR(5) NOT NULL DEFAULT 'N');"
            "CREATE TABLE ordbook_d (seq INT AUTO_INCREMENT PRIMARY KEY, ordno INT, unit VARCHAR(10), parentseq INT);"
            "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)");
        f.Select({"ordbook_d", "sale"});
    }

    std::vector<std::string> States() const {
        std::vector<std::string> states;
        for (const TableOutcome& outcome : f.form.Ledger().Tables())
            states.push_back(outcome.table.name + " " + f.form.RowStateText(outcome.table.row).substr(0, 9));
        return states;
    }

    void Verify() {
        f.boxes.Clear();
        f.form.cmdVerify_Click();
    }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(Verification, CopyIsVerifiedAndLaterChangesInTheTargetAreNamedByKey) {
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    EXPECT_EQ(States(), (std::vector<std::string>{"ordbook_d 검증됨", "sale 검증됨"}));
    const std::vector<std::string> summary = f.SummaryLines();
    ASSERT_EQ(summary.size(), 5u);
    EXPECT_EQ(summary[4], "검증: 일치 2개, 불일치 0개");
    const std::string record = f.RecordText();
    EXPECT_TRUE(Has(record, "  sale: 검증됨 3,000건")) << record;
    EXPECT_TRUE(Has(record, "원본 3,000행 검사값 ")) << record;

    // The status line as 검증 goes, and the 현재 bar beside it: the rows compared out of all.
    std::vector<std::string> lines;
    bool barAgrees = true;
    f.form.SetChangeListener([&](FrmMain::Change) {
        const RunStatus& status = f.form.Ledger().Status();
        lines.push_back(status.Line(0, std::chrono::steady_clock::now()));
        if (status.comparing.empty() || status.ended) return;
        const auto all = static_cast<float>(std::max<std::int64_t>(1, status.rowsCompared + status.rowsToCompare));
        barAgrees = barAgrees && f.form.Progress(0).Max == all &&
                    f.form.Progress(0).Value == static_cast<float>(status.rowsCompared);
    });
    Verify();
    f.form.SetChangeListener({});
    EXPECT_EQ(f.boxes.Prompts(), std::vector<std::string>{"검증이 끝났습니다. 선택한 테이블이 모두 원본과 같습니다."});
    EXPECT_TRUE(barAgrees);
    const std::regex comparing(
        "(sale|ordbook_d) 검증 중 · 비교한 행 [0-9,]+ / 약 [0-9,]+건 \\(테이블 [01] / 2개\\) · 경과 .*");
    EXPECT_TRUE(std::ranges::any_of(lines, [&](const std::string& l) { return std::regex_match(l, comparing); }))
        << testing::PrintToString(lines);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("끝남: 테이블 2개, 행 3,005건 비교 · 경과 ", 0), 0u) << lines.back();
    EXPECT_EQ(States(), (std::vector<std::string>{"ordbook_d 검증됨", "sale 검증됨"}));

    // One cell, a Null become an empty text, one row, one parent link: line 15 now hangs
    // under line 13 instead of 14.
    f.TargetSql(
        "UPDATE sale SET memo = '바뀜' WHERE seq = 70; UPDATE sale SET memo = '' WHERE seq = 77;"
        "DELETE FROM sale WHERE seq = 1234;"
        "UPDATE ordbook_d c JOIN ordbook_d p ON p.unit = '13' SET c.parentseq = p.seq WHERE c.unit = '15'");
    Verify();
    ASSERT_EQ(f.boxes.Prompts().size(), 1u);
    const std::string report = f.boxes.Prompts()[0];
    EXPECT_TRUE(Has(report, "ordbook_d: 원본 5행, 대상 5행, 다른 행의 키: seq=15 (다른 열: parentseq)\r\n")) << report;
    EXPECT_TRUE(Has(report,
                    "sale: 원본 3,000행, 대상 2,999행, 다른 행의 키: seq=1234 (원본에만 있음); "
                    "seq=70 (다른 열: memo); seq=77 (다른 열: memo)\r\n\r\n원본에서 다시 복사하려면"))
        << report;
    EXPECT_EQ(States(), (std::vector<std::string>{"ordbook_d 불일치", "sale 불일치"}));
    EXPECT_EQ(f.SummaryLines()[0], "[작업 요약] 결과: 실패 (검증만, 바꾼 것 없음)");
    EXPECT_EQ(f.SummaryLines()[1], "검증: 0/2 일치");
    EXPECT_TRUE(Has(f.RecordText(), "  sale: 불일치 · 원본 3,000행")) << f.RecordText();

    // A copy that does not match ends as failed, naming the table and the key: a trigger
    // in the target changes one row as it arrives. The source account may not lock tables
    // here, so each table is compared right after its copy.
    AdminSql("REVOKE LOCK TABLES ON " + SqlIdent(f.sourceDb) + ".* FROM " + SqlQuote(f.sourceId) + "@'127.0.0.%'");
    f.boxes.Clear();
    f.TargetSql(
        "CREATE TRIGGER bump BEFORE INSERT ON sale FOR EACH ROW SET NEW.amount = IF(NEW.seq = 8, 0, NEW.amount)");
    f.Start();
    const std::vector<std::string> prompts = f.boxes.Prompts();
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_TRUE(Has(prompts[1],
                    "검증 결과 sale 테이블이 원본과 다릅니다.\r\n원본 3,000행, 대상 3,000행, 다른 행의 키: seq=8 (다른 "
                    "열: amount)"))
        << prompts[1];
    EXPECT_EQ(f.SummaryLines()[0], "[작업 요약] 결과: 실패");
}

TEST_F(Verification, RowsChangedDuringTheCopyStayOutOfItAndRaiseNoMismatch) {
    bool changed = false;
    f.form.SetChangeListener([&](FrmMain::Change change) {
        if (change != FrmMain::Change::Status || changed ||
            f.form.Ledger().Status().table.find("ordbook_d") == std::string::npos)
            return;
        changed = true;
        f.SourceSql(
            "UPDATE sale SET memo = '나중' WHERE seq <= 10; DELETE FROM sale WHERE seq > 2990;"
            "UPDATE ordbook_d SET ordno = 9");
    });
    f.Start();
    f.form.SetChangeListener(nullptr);
    ASSERT_TRUE(changed);
    EXPECT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM sale"), "3000");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM sale WHERE memo = '나중'"), "0");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM ordbook_d WHERE ordno = 9"), "0");
    EXPECT_EQ(f.SummaryLines()[4], "검증: 일치 2개, 불일치 0개");
}

// Values a faithful copy stores in another type: a YEAR 0000, a BIT(1) widened, DOUBLE
// halves and FLOATs into integers, DOUBLEs into text, and columns the target computes
// (never written, never compared, named before the run and in its record).
TEST_F(Verification, ConvertedValuesVerifyAndAChangedCellInEachIsFound) {
    f.SourceSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY, yr YEAR, flag BIT(1), half DOUBLE, whole DOUBLE, f FLOAT, "
        "  big FLOAT, note DOUBLE, total INT, kept INT);"
        "INSERT INTO qlty SELECT seq, IF(seq % 5 = 0, 0, 1990 + seq % 60), seq % 2, seq + 0.5, -seq - 0.5, seq / 3, "
        "  seq * 1.5, seq / 7, seq, seq FROM seq_1_to_200");
    f.TargetSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY, yr YEAR NOT NULL DEFAULT 1999, flag BIT(8), "
        "  half INT NOT NULL DEFAULT 0, whole INT, "
        "  f BIGINT, big BIGINT NOT NULL DEFAULT 0, note TEXT, total INT AS (code * 2) VIRTUAL, "
        "  kept INT AS (code + 1) STORED)");
    f.form.SetChkAll(true);  // so that Select's unticking clears the fixture's choice
    f.Select({"qlty"});
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    EXPECT_EQ(States(), std::vector<std::string>{"qlty 검증됨"});
    EXPECT_EQ(f.SummaryLines().at(4), "검증: 일치 1개, 불일치 0개");
    EXPECT_EQ(f.TargetScalar("SELECT CONCAT(SUM(total = code * 2), ' ', SUM(kept = code + 1), ' ', SUM(yr = 0), ' ', "
                             "SUM(half % 2 = 0)) FROM qlty"),
              "200 200 40 200");  // halves to even, as the server stores them
    const std::vector<std::string> lines = f.LogLines();
    for (const char* column : {"total", "kept"}) {
        const std::string named =
            std::string("qlty.") + column + ": 대상 서버가 계산하는 열이라 복사하지 않고 원본과 비교하지 않습니다";
        EXPECT_NE(std::find(lines.begin(), lines.end(), named), lines.end()) << named;
        EXPECT_TRUE(Has(f.RecordText(), std::string("비교하지 않은 열: ") + column + " (대상 서버가 계산하는 열)"))
            << f.RecordText();
    }

    f.TargetSql(
        "UPDATE qlty SET yr = 2000 WHERE code = 5; UPDATE qlty SET flag = 3 WHERE code = 7;"
        "UPDATE qlty SET half = half + 1 WHERE code = 9; UPDATE qlty SET whole = 0 WHERE code = 11;"
        "UPDATE qlty SET f = f + 1 WHERE code = 13; UPDATE qlty SET big = big - 1 WHERE code = 15;"
        "UPDATE qlty SET note = CONCAT(note, '1') WHERE code = 17");
    Verify();
    ASSERT_EQ(f.boxes.Prompts().size(), 1u);
    EXPECT_TRUE(Has(f.boxes.Prompts()[0],
                    "qlty: 원본 200행, 대상 200행, 다른 행의 키: code=11 (다른 열: whole); code=13 (다른 열: f); "
                    "code=15 (다른 열: big); code=17 (다른 열: note); code=5 (다른 열: yr); code=7 (다른 열: flag); "
                    "code=9 (다른 열: half)"))
        << f.boxes.Prompts()[0];
}
