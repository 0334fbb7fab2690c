// Two conversions into one target from two processes: the second is refused before it changes
// anything; the first, killed in the middle of a table, leaves a record naming that table, and
// the next start of the window tells of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "ConversionFixture.h"
#include "conversion/run/KeptShadows.h"
#include "conversion/run/ShadowTables.h"
#include "conversion/verification/TableVerification.h"
#include "platform/Process.h"

using namespace testsupport;

TEST(ConcurrentRuns, SecondRunIsRefusedAndAKilledRunIsToldAtTheNextStart) {
    ConversionFixture f;
    f.CreateZeroDateTables();
    f.SourceSql(
        "CREATE TABLE sale (seq INT PRIMARY KEY, memo VARCHAR(40));"
        "INSERT INTO sale SELECT seq, CONCAT('줄 ', seq) FROM seq_1_to_400000;"
        "CREATE TABLE office (offcode VARCHAR(10) PRIMARY KEY, name VARCHAR(20)); INSERT INTO office VALUES ('A', "
        "'본점')");
    f.TargetSql(
        "CREATE TABLE sale (seq INT PRIMARY KEY, memo VARCHAR(40));"
        "CREATE TABLE office (offcode VARCHAR(10) PRIMARY KEY, name VARCHAR(20)); INSERT INTO office VALUES ('Z', "
        "'남음');"
        "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)");

    const std::vector<std::string> before = f.TargetState();
    auto first = platform::ChildProcess::Start({NUTV_CONVERSION_PROCESS, f.sourceId, f.targetId, "sale"});
    ASSERT_TRUE(first);
    const std::string runs = f.env.StateHome() + "/누리Tarn_To_누리Velm/runs";
    std::string record;
    for (int i = 0; i < 600 && record.empty(); ++i) {
        for (const std::string& name : std::filesystem::exists(runs) ? FileNames(runs) : std::vector<std::string>{})
            if (ReadFile(runs + "/" + name).find("진행: sale 복사 시작") != std::string::npos)
                record = runs + "/" + name;
        if (record.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_FALSE(record.empty()) << "the first run never began copying";

    f.Select({"office", "sale"});
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().size(), 2u);
    const std::string refusal = f.boxes.Prompts()[1];
    EXPECT_EQ(refusal.rfind("이 고객(" + f.targetDb + ")은 지금 다른 곳에서 변환 중입니다.\r\n변환하는 곳: 사용자 ", 0),
              0u)
        << refusal;
    EXPECT_EQ(f.TargetScalar("SELECT GROUP_CONCAT(offcode) FROM office"), "Z");
    EXPECT_EQ(f.SummaryLines()[0], "[작업 요약] 결과: 실패");
    f.boxes.Clear();
    f.form.cmdVerify_Click();  // nor does a verification read a target being filled
    EXPECT_EQ(f.boxes.Prompts(), std::vector<std::string>{refusal});

    ASSERT_FALSE(first->WaitAtMost(std::chrono::milliseconds(0))) << "the first run ended before it was killed";
    first->Kill();
    std::string text = ReadFile(record);
    EXPECT_NE(text.find("\n결과: 끝나지 않음 - 작업 중"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(" 시작\n")) << text;
    // The killed run filled only its copy beside sale: the target's own tables are as they were.
    EXPECT_EQ(f.OwnTargetState(), before);

    FrmMain next;
    next.Form_Load();
    const std::string name = record.substr(runs.size() + 1);
    EXPECT_NE(next.TxtLog().find("끝나지 않은 작업이 있습니다: " + name + " (sale 도중에 끝남)"), std::string::npos)
        << next.TxtLog();
    text = ReadFile(record);
    EXPECT_NE(text.find("\n끝나지 않은 테이블: sale - "), std::string::npos) << text;
    FrmMain later;
    later.Form_Load();
    EXPECT_EQ(later.TxtLog().find("끝나지 않은 작업"), std::string::npos) << "told once";

    // The server lets the killed run's lock go as its connection ends; a run of its own then
    // copies the target right.
    const std::string lockFree = "SELECT IS_FREE_LOCK(CONCAT('nutv-to:', DATABASE()))";
    for (int i = 0; i < 100 && f.TargetScalar(lockFree) != "1"; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // Beside the killed run's half-filled copy, a verified copy another pair of databases kept:
    // this run resumes from neither, and drops both.
    f.TargetSql("CREATE TABLE " + SqlIdent(ShadowName("office")) + " LIKE office");
    TableCheck verified;
    verified.match = true;
    ASSERT_TRUE(
        MarkVerified(*f.Connect(true), CopyPair("127.0.0.9", "maketarn_other", f.targetDb), "office", verified));
    f.boxes.Clear();
    f.Start();
    EXPECT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    const std::string dropped = " " + ShadowName("office") + " " + ShadowName("sale");
    EXPECT_NE(f.form.TxtLog().find("지난 실행이 남긴 임시 테이블 2개를 지웠습니다:" + dropped), std::string::npos)
        << f.form.TxtLog();
    EXPECT_NE(f.RecordText().find("\n지난 실행이 남긴 임시 테이블을 지움:" + dropped + "\n"), std::string::npos);
    EXPECT_EQ(f.TargetScalar("SELECT GROUP_CONCAT(TABLE_NAME ORDER BY TABLE_NAME) FROM information_schema.TABLES "
                             "WHERE TABLE_SCHEMA = DATABASE()"),
              "customer,office,product_m,sale");
    EXPECT_EQ(f.TargetScalar("SELECT COUNT(*) FROM sale"), "400000");
    EXPECT_EQ(f.SummaryLines()[4], "검증: 일치 2개, 불일치 0개");
}
