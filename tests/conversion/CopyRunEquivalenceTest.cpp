// The copy run against one row at a time: the same source copied by the run and by a
// reference that writes one row per INSERT (a static, optimistic target recordset) and
// remaps with one lookup per line, into a twin of the target database. The end states
// must be equal: rows, values, keys the targets assigned, links.
#include <gtest/gtest.h>

#include <algorithm>

#include "ConversionFixture.h"
#include "common/VbError.h"
#include "conversion/copy/ColumnMapping.h"
#include "conversion/run/OrderDetailLinks.h"
#include "conversion/run/ShadowTables.h"
#include "datalayer/BulkLoad.h"
#include "datalayer/Recordset.h"

using namespace testsupport;

namespace {

const std::string kCompleted = "복사가 완료되었습니다.";

// A twin of the fixture's target database, reached as the administrator.
class Twin {
public:
    Twin(const ConversionFixture& f, const std::string& tablesSql) : name_(f.targetDb + "_twin") {
        AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(name_) + "; CREATE DATABASE " + SqlIdent(name_) +
                 " CHARACTER SET utf8mb4");
        AdminSql(tablesSql, name_);
        f.env.WriteDataSource("test_twin", kCentralHost, name_, "root");
        connection_ = std::make_shared<ado::Connection>();
        connection_->Open("DSN=test_twin;PWD=" + std::string(kRootPassword));
    }
    ~Twin() {
        connection_.reset();
        AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(name_));
    }
    const std::string& name() const { return name_; }
    const std::shared_ptr<ado::Connection>& connection() const { return connection_; }

private:
    std::string name_;
    std::shared_ptr<ado::Connection> connection_;
};

// One table copied row at a time, as the run did before batching; the error a refused
// row raises, or an empty text.
std::string CopyRowAtATime(const std::shared_ptr<ado::Connection>& source,
                           const std::shared_ptr<ado::Connection>& target, const std::string& table,
                           const std::string& keyOrder) {
    target->Execute("DELETE FROM " + table);
    auto from = source->Execute("SELECT * FROM " + table + " ORDER BY " + keyOrder);
    ado::Recordset to;
    to.Open(table, target, ado::adOpenStatic, ado::adLockOptimistic, ado::adCmdTable);
    const ColumnMapping mapping(*from, to, table);
    try {
        for (; !from->Eof(); from->MoveNext()) {
            to.AddNew();
            mapping.CopyRow(*from, to);
            to.Update();
        }
    } catch (const VbError& e) {
        return e.description();
    }
    return "";
}

// The parent links as one lookup per line makes them, in the table's natural order.
void RemapOneLookupPerLine(const std::shared_ptr<ado::Connection>& target) {
    ado::Recordset lines;
    lines.Open("ordbook_d", target, ado::adOpenStatic, ado::adLockOptimistic, ado::adCmdTable);
    for (; !lines.Eof(); lines.MoveNext()) {
        auto& f = lines.GetFields();
        if (LeadingNumber(f.Item("unit").GetValue().Text()) == LeadingNumber(f.Item("parentseq").GetValue().Text())) {
            f.Item("parentseq").SetValue(f.Item("seq").GetValue());
        } else {
            auto parent =
                target->Execute("SELECT seq FROM ordbook_d WHERE ordno = " + f.Item("ordno").GetValue().Text() +
                                " AND unit = '" + f.Item("parentseq").GetValue().Text() + "'");
            f.Item("parentseq").SetValue(parent->GetFields().Item(0).GetValue().ToLong());
        }
        lines.Update();
    }
}

std::vector<Row> Rows(const std::string& database, const std::string& table, const std::string& order) {
    return AdminQuery("SELECT * FROM " + SqlIdent(table) + " ORDER BY " + order, database);
}

std::string Counter(const std::string& database, const std::string& table) {
    return AdminScalar("SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = " +
                       SqlQuote(database) + " AND TABLE_NAME = " + SqlQuote(table));
}

// The newer edition's tables of the cases below; the run's target and the twin get them.
const char* kTargetTables =
    "CREATE TABLE office (code INT PRIMARY KEY, name VARCHAR(40) NOT NULL DEFAULT '무명', opened DATE, "
    "  rate NVARCHAR(20), memo TEXT, tel VARCHAR(20), added INT NOT NULL DEFAULT 5, due DATE DEFAULT '2001-01-01') "
    "  ENGINE=InnoDB;"
    "INSERT INTO office (code) VALUES (99999);"
    "CREATE TABLE pclass (seq INT AUTO_INCREMENT PRIMARY KEY, code VARCHAR(10) NOT NULL, "
    "  name VARCHAR(20) NOT NULL DEFAULT '') ENGINE=InnoDB AUTO_INCREMENT=300;"
    "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(20), memo VARCHAR(20) DEFAULT 'q') ENGINE=MyISAM;"
    "CREATE TABLE ordbook_d (seq INT AUTO_INCREMENT PRIMARY KEY, ordno INT NOT NULL DEFAULT 0, "
    "  unit VARCHAR(20) NOT NULL DEFAULT '', parentseq INT NOT NULL DEFAULT 0, item VARCHAR(20)) "
    "  ENGINE=InnoDB AUTO_INCREMENT=7000;"
    "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)";

}  // namespace

namespace {

// The run with its transactional tables loaded by LOAD DATA (bulk) or sent as arrays.
void EndStateCase(bool bulk) {
    ado::SetBulkLoadByDefault(bulk);
    ConversionFixture f;
    f.CreateZeroDateTables();
    f.SourceSql(
        "CREATE TABLE office (code INT PRIMARY KEY, name VARCHAR(20), opened DATETIME, rate DECIMAL(10,3), "
        "  memo TEXT, tel VARCHAR(20), gone INT, due VARCHAR(10)) ENGINE=InnoDB;"
        "CREATE TABLE pclass (code VARCHAR(10) PRIMARY KEY, name VARCHAR(20));"
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(20), memo VARCHAR(20)) ENGINE=MyISAM;"
        "CREATE TABLE ordbook_d (seq INT AUTO_INCREMENT PRIMARY KEY, ordno INT, unit VARCHAR(10), "
        "  parentseq INT, item VARCHAR(20))");
    // 2600 offices over three batches: Nulls and empty texts come and go from row to row
    // (Null leaves the target's default; an empty text leaves a DATE column alone, rule
    // 133; a number reaches an NVARCHAR column as its text, rule 202).
    std::string offices, pclasses, qltys, lines;
    for (int i = 1; i <= 2600; ++i) {
        const std::string n = std::to_string(i);
        offices += std::string(offices.empty() ? "" : ",") + "(" + n + "," + (i % 3 ? "'사무소 " + n + "'" : "NULL") +
                   "," + (i % 4 ? "'2019-03-04 05:06:07'" : "NULL") + "," + (i % 5 ? "1.250" : "NULL") + "," +
                   (i % 6 ? "'메모'" : "NULL") + ",'" + (i % 7 ? "02-" + n : "") + "'," + n + "," +
                   (i % 2 ? "''" : "'2020-02-02'") + ")";
        pclasses += std::string(pclasses.empty() ? "" : ",") + "('p" + std::to_string(100000 + i) + "'," +
                    (i % 2 ? "'분류'" : "NULL") + ")";
        qltys += std::string(qltys.empty() ? "" : ",") + "(" + n + ",'q" + n + "'," + (i % 3 ? "'m'" : "NULL") + ")";
    }
    // 1500 order lines in 300 orders of 5: a head line and lines under it or under each
    // other; in every tenth order two lines share the old key 1 of the head (first wins).
    for (int order = 1; order <= 300; ++order)
        for (int k = 0; k < 5; ++k) {
            const int seq = order * 10 + k;
            const int parent = k == 0 ? seq : (k == 4 && order % 10 == 0 ? order * 10 : order * 10 + k - 1);
            const std::string unit = k == 3 && order % 10 == 0 ? std::to_string(order * 10) : "EA";
            lines += std::string(lines.empty() ? "" : ",") + "(" + std::to_string(seq) + "," + std::to_string(order) +
                     ",'" + unit + "'," + std::to_string(parent) + ",'i" + std::to_string(seq) + "')";
        }
    f.SourceSql("INSERT INTO office VALUES " + offices + "; INSERT INTO pclass VALUES " + pclasses +
                "; INSERT INTO qlty VALUES " + qltys + "; INSERT INTO ordbook_d VALUES " + lines);
    f.TargetSql(kTargetTables);
    Twin twin(f, kTargetTables);

    f.Select({"office", "pclass", "qlty", "ordbook_d"});
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().back(), kCompleted);

    auto source = f.Connect(false);
    for (const auto& [table, key] : std::vector<std::pair<std::string, std::string>>{
             {"office", "code"}, {"pclass", "code"}, {"qlty", "code"}, {"ordbook_d", "seq"}})
        EXPECT_EQ(CopyRowAtATime(source, twin.connection(), table, key), "") << table;
    RemapOneLookupPerLine(twin.connection());

    for (const auto& [table, order] : std::vector<std::pair<std::string, std::string>>{
             {"office", "code"}, {"pclass", "seq"}, {"qlty", "code"}, {"ordbook_d", "seq"}}) {
        SCOPED_TRACE(table);
        const auto ours = Rows(f.targetDb, table, order);
        EXPECT_EQ(ours.size(), 2600u - (table == "ordbook_d" ? 1100u : 0u));
        EXPECT_EQ(ours, Rows(twin.name(), table, order));
        EXPECT_EQ(Counter(f.targetDb, table), Counter(twin.name(), table));
    }
    // Spot checks of the rules.
    EXPECT_EQ(f.TargetScalar("SELECT CONCAT_WS('|', name, opened, rate, due, added) FROM office WHERE code = 3"),
              "무명|2019-03-04|1.250|2001-01-01|5");
    EXPECT_EQ(f.TargetScalar("SELECT MIN(seq) FROM pclass"), "300");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM ordbook_d c JOIN ordbook_d p ON p.seq = c.parentseq "
                             "WHERE p.ordno <> c.ordno"),
              "0");
    // The way the record says each table went: MyISAM always as arrays.
    const std::string record = f.RecordText();
    const auto went = [&](const std::string& table) {
        const std::size_t at = record.find("\n  " + table + ": ");
        return at == std::string::npos ? "" : record.substr(at, record.find('\n', at + 1) - at);
    };
    const std::string loaded = " · 파일로 한꺼번에 넣기 · ", arrays = " · 여러 행씩 넣기 · ";
    EXPECT_NE(went("office").find(bulk ? loaded : arrays), std::string::npos) << went("office");
    EXPECT_NE(went("ordbook_d").find(bulk ? loaded : arrays), std::string::npos) << went("ordbook_d");
    EXPECT_NE(went("qlty").find(arrays), std::string::npos) << went("qlty");
}

}  // namespace

// One fixture per test: unixODBC reads its data sources' file once per process.
TEST(CopyRunEquivalence, EndStateEqualsOneRowAtATime) {
    EndStateCase(true);
}
TEST(CopyRunEquivalence, EndStateEqualsOneRowAtATimeWithArrays) {
    EndStateCase(false);
}

namespace {

// A source of 2500 rows whose row 1500 (the middle of the second batch) the target
// refuses: a name its check finds too long, or a group it already has (the same letters in
// another case: the source tells them apart, the target's unique key does not). Neither is
// a value the check before the run can see will not fit. A bigger table goes first, and
// the refused one is copied beside it; the target ends exactly as it began.
void RefusedRowCase(const char* engine, bool duplicate, bool bulk = true) {
    ado::SetBulkLoadByDefault(bulk);
    ConversionFixture f;
    f.CreateZeroDateTables();
    f.SourceSql("CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(30), grp VARCHAR(10) COLLATE utf8mb4_bin)");
    std::string rows;
    for (int i = 1; i <= 2500; ++i)
        rows += std::string(rows.empty() ? "" : ",") + "(" + std::to_string(i) + ",'" +
                (i == 1500 && !duplicate ? "이 이름은 대상 열보다 훨씬 깁니다" : "q") + "','" +
                (i == 1500 && duplicate ? "G700" : "g" + std::to_string(i)) + "')";
    f.SourceSql("INSERT INTO qlty VALUES " + rows +
                "; CREATE TABLE pclass (code INT PRIMARY KEY);"
                "CREATE TABLE office (code INT PRIMARY KEY); INSERT INTO office SELECT seq FROM seq_1_to_3000");
    const std::string tables =
        std::string(
            "CREATE TABLE qlty (seq INT AUTO_INCREMENT PRIMARY KEY, code INT NOT NULL, name VARCHAR(30), "
            "grp VARCHAR(10) COLLATE utf8mb4_general_ci NOT NULL UNIQUE, CONSTRAINT short_name CHECK "
            "(CHAR_LENGTH(name) <= 5)) ENGINE=") +
        engine +
        " AUTO_INCREMENT=40;"
        "CREATE TABLE pclass (code INT PRIMARY KEY); INSERT INTO pclass VALUES (3);"
        "CREATE TABLE office (seq INT AUTO_INCREMENT PRIMARY KEY, code INT) AUTO_INCREMENT=9;"
        "INSERT INTO office (code) VALUES (1), (2);"
        "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)";
    f.TargetSql(tables);
    Twin twin(f, tables);
    const std::vector<std::string> before = f.TargetState();

    f.Select({"qlty", "pclass", "office"});
    f.Start();
    const std::string refusal = CopyRowAtATime(f.Connect(false), twin.connection(), "qlty", "code");
    ASSERT_FALSE(refusal.empty());
    EXPECT_NE(refusal.find(duplicate ? "Duplicate entry 'G700'" : "CONSTRAINT `short_name` failed"), std::string::npos)
        << refusal;
    ASSERT_EQ(f.boxes.Boxes().size(), 2u);
    // A check's refusal names the table's database.
    std::string inTarget = refusal;
    if (const std::size_t at = inTarget.find(twin.name()); at != std::string::npos)
        inTarget.replace(at, twin.name().size(), f.targetDb);
    // The server names the table the rows went to: the copy beside qlty.
    if (const std::size_t at = inTarget.find("`qlty`"); at != std::string::npos)
        inTarget.replace(at, 6, "`" + ShadowName("qlty") + "`");
    EXPECT_EQ(f.boxes.Boxes()[1].prompt, "Error -2147467259 (" + inTarget +
                                             ") in procedure cmdStart_Click of Form Form1\r\n\r\n대상 "
                                             "데이터베이스는 바뀌지 않았습니다.");
    // Every table, row and counter as before (the verified copies are kept beside them).
    EXPECT_EQ(f.OwnTargetState(), before);
    // The other tables were copied and verified, but not put in (in whichever order their lanes ended).
    std::vector<std::string> copied = f.RunLines();
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(copied, (std::vector<std::string>{"office: 3000건 복사", "pclass: 0건 복사"}));
    EXPECT_EQ(f.SummaryLines().at(1), "테이블: 복사 2개, 실패 1개, 실행 안 함 0개");
    EXPECT_EQ(f.form.RowStateText(7), "실패");
    EXPECT_EQ(f.form.RowStateText(8).rfind("검증됨 0건 ", 0), 0u) << f.form.RowStateText(8);
    const std::string record = f.RecordText();
    for (const std::string& part :
         {std::string("\n  qlty: 실패\n"), std::string("\n  pclass: 검증됨 0건 "),
          std::string(" · 대상에 넣지 않음 · "), std::string("원본 행: code = 1500 (원본에서 1,500번째 행)"),
          std::string("대상 DB: 대상 데이터베이스는 바뀌지 않았습니다.\n")})
        EXPECT_NE(record.find(part), std::string::npos) << part << "\n" << record;
    // The retry takes every table: none of them is in the target yet.
    EXPECT_EQ(f.form.cmdRetryFailed_Click(), 3);
}

}  // namespace

TEST(CopyRunEquivalence, ValueTooLongMidBatchOnInnoDB) {
    RefusedRowCase("InnoDB", false);
}
TEST(CopyRunEquivalence, DuplicateKeyMidBatchOnInnoDB) {
    RefusedRowCase("InnoDB", true);
}
TEST(CopyRunEquivalence, ValueTooLongMidBatchOnInnoDBWithArrays) {
    RefusedRowCase("InnoDB", false, false);
}
TEST(CopyRunEquivalence, DuplicateKeyMidBatchOnInnoDBWithArrays) {
    RefusedRowCase("InnoDB", true, false);
}
TEST(CopyRunEquivalence, ValueTooLongMidBatchOnMyISAM) {
    RefusedRowCase("MyISAM", false);
}
TEST(CopyRunEquivalence, DuplicateKeyMidBatchOnMyISAM) {
    RefusedRowCase("MyISAM", true);
}

TEST(CopyRunEquivalence, SourceFailureMidTableLeavesTheTargetAsItWas) {
    ConversionFixture f;
    f.CreateZeroDateTables();
    // Rows of about 2 KB: the source is read in chunks of about a thousand rows.
    f.SourceSql("CREATE TABLE qlty (code INT PRIMARY KEY, filler TEXT)");
    std::string rows;
    for (int i = 1; i <= 10000; ++i)
        rows += std::string(rows.empty() ? "" : ",") + "(" + std::to_string(i) + ",REPEAT('x',2000))";
    f.SourceSql("INSERT INTO qlty VALUES " + rows);
    f.TargetSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY, filler TEXT); INSERT INTO qlty VALUES (7, 'old');"
        "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)");
    // Halfway through the first chunk the server ends the run's source session: a later chunk
    // cannot be read. (The run's snapshot keeps the table itself from being dropped meanwhile.)
    bool cut = false;
    float counted = -1;  // the bar's rows when the table failed
    f.form.SetChangeListener([&](FrmMain::Change change) {
        if (change == FrmMain::Change::Status && cut && counted < 0) counted = f.form.Progress(0).Value;
        if (change == FrmMain::Change::Progress && !cut && f.form.Progress(0).Value >= 500) {
            cut = true;
            // The run's first source connection is the copy's.
            AdminSql("KILL " + AdminScalar("SELECT MIN(ID) FROM information_schema.PROCESSLIST WHERE DB = " +
                                           SqlQuote(f.sourceDb) + " AND USER = " + SqlQuote(f.sourceId)));
        }
    });
    f.Select({"qlty"});
    f.Start();
    ASSERT_TRUE(cut);
    ASSERT_EQ(f.boxes.Boxes().size(), 2u);
    EXPECT_EQ(f.boxes.Boxes()[1].prompt.rfind("Error -2147467259 (", 0), 0u) << f.boxes.Boxes()[1].prompt;
    // The rows copied went into the copy beside qlty, which is gone: qlty keeps its old row.
    EXPECT_GE(counted, 500);
    EXPECT_EQ(f.TargetScalar("SELECT GROUP_CONCAT(code, filler) FROM qlty"), "7old");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()"), "3");
    const std::vector<std::string> summary = f.SummaryLines();
    EXPECT_NE(std::find(summary.begin(), summary.end(), "대상 DB: 대상 데이터베이스는 바뀌지 않았습니다."),
              summary.end());
}

// 중지 while two tables are in flight: the two biggest went first (qlty, first in the list but
// small, waits); both are named unfinished, in the log, the list, the summary and the
// record, qlty is not run; each target keeps only rows of its own source.
TEST(CopyRunEquivalence, StopWithTwoTablesInFlightNamesBoth) {
    ConversionFixture f;
    f.CreateZeroDateTables();
    std::string rows;
    for (int i = 1; i <= 10000; ++i) rows += std::string(rows.empty() ? "" : ",") + "(" + std::to_string(i) + ")";
    f.SourceSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY); CREATE TABLE pclass (code INT PRIMARY KEY);"
        "CREATE TABLE product_d (code INT PRIMARY KEY); INSERT INTO qlty VALUES (1), (2), (3);"
        "INSERT INTO pclass VALUES " +
        rows + "; INSERT INTO product_d VALUES " + rows);
    f.TargetSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY); CREATE TABLE pclass (code INT PRIMARY KEY);"
        "CREATE TABLE product_d (code INT PRIMARY KEY); CREATE TABLE customer (code INT PRIMARY KEY);"
        "CREATE TABLE product_m (code INT PRIMARY KEY)");
    const std::vector<std::string> before = f.TargetState();
    f.form.SetChangeListener([&](FrmMain::Change change) {
        if (change == FrmMain::Change::Progress && f.form.Progress(0).Value >= 500) f.form.cmdStop_Click();
    });
    f.Select({"qlty", "pclass", "product_d"});
    f.Start();
    const std::vector<std::string> lines = f.LogLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(
        std::vector<std::string>(lines.begin(), lines.begin() + 5),
        (std::vector<std::string>{"pclass: 중지됨 - 복사가 끝나지 않았습니다(미완료)",
                                  "product_d: 중지됨 - 복사가 끝나지 않았습니다(미완료)", "작업을 중지했습니다.",
                                  "[작업 요약] 결과: 중지", "테이블: 복사 0개, 실패 0개, 중지 2개, 실행 안 함 1개"}));
    EXPECT_EQ(f.SummaryLines().at(4).rfind("중지한 테이블: pclass, product_d (", 0), 0u) << f.SummaryLines().at(4);
    EXPECT_EQ(f.form.RowStateText(7), "실행 안 함");
    EXPECT_EQ(f.form.RowStateText(8), "중지됨");
    EXPECT_EQ(f.form.RowStateText(10), "중지됨");
    const std::string record = f.RecordText();
    EXPECT_NE(record.find("\n  pclass: 중지됨\n  product_d: 중지됨\n"), std::string::npos) << record;
    EXPECT_NE(record.find("대상 데이터베이스는 바뀌지 않았습니다."), std::string::npos) << record;
    EXPECT_EQ(f.OwnTargetState(), before);
}
