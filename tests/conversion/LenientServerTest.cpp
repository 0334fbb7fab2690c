// Target servers unlike the test server. One that would store anything (global
// sql_mode=''): the run's session is strict all the same, so a value the target cannot
// hold as it is ends the run with the server's own error, on MyISAM as on InnoDB, with the
// rows before it stored once. One that reads no backslash escapes or allows no local
// files, and one that cannot be trusted: the loads stay right or give way to arrays.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ConversionFixture.h"
#include "conversion/NumbersAndTimes.h"
#include "conversion/checks/TargetRoom.h"
#include "support/HostileProxy.h"
#include "support/OwnServer.h"

using namespace testsupport;

TEST(LenientServer, TargetSessionRefusesWhatTheTargetCannotHold) {
    OwnServer server("127.0.0.6");
    ConversionFixture f;
    CreateCustomerDatabase(f.targetId, f.targetDb, server.address);
    RegisterCustomer(f.targetId, f.targetDb, server.address);
    AdminSql("SET GLOBAL sql_mode = ''", {}, server.address);
    f.CreateZeroDateTables();
    f.SourceSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(40));"
        "INSERT INTO qlty VALUES (1,'짧다'),(2,'이 이름은 대상 열보다 훨씬 깁니다'),(3,'짧다');"
        "CREATE TABLE pclass (code INT PRIMARY KEY, name VARCHAR(20)); INSERT INTO pclass VALUES "
        "(1,'a'),(2,'😀'),(3,'a');"
        "CREATE TABLE storehouse (code INT PRIMARY KEY, name VARCHAR(20)); INSERT INTO storehouse VALUES "
        "(1,'a'),(2,NULL)");
    AdminSql(
        "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY);"
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(5)) ENGINE=MyISAM;"
        "CREATE TABLE pclass (code INT PRIMARY KEY, name VARCHAR(20) CHARACTER SET utf8mb3) ENGINE=MyISAM;"
        "CREATE TABLE storehouse (code INT PRIMARY KEY, name VARCHAR(20) NOT NULL)",
        f.targetDb, server.address);

    // The too long name is found by the check before the run, which empties nothing; the
    // others only the target's session can refuse.
    const std::pair<const char*, const char*> refusals[] = {
        {"qlty", "qlty.name: 원본 값이 대상 열보다 깁니다 - 가장 긴 값 19자 (원본 행: code = 2)"},
        {"pclass", "Incorrect string value"},
        {"storehouse", "Field 'name' doesn't have a default value"}};
    for (const auto& [table, serverError] : refusals) {
        f.boxes.Clear();
        f.form.SetChkAll(true);  // so that Select's unticking clears the table before
        f.Select({table});
        f.Start();
        ASSERT_EQ(f.boxes.Boxes().size(), 2u) << table;
        EXPECT_NE(f.boxes.Boxes()[1].prompt.find(serverError), std::string::npos) << f.boxes.Boxes()[1].prompt;
        EXPECT_TRUE(f.RunLines().empty()) << table;
        // The refused rows' table stays as it was: empty.
        EXPECT_EQ(AdminScalar(std::string("SELECT COUNT(*) FROM ") + table, f.targetDb, server.address), "0");
    }
}

// A target whose disk has less room than the copies beside its tables need: the check before
// the run says so with both figures, and nothing in the target changes.
TEST(LenientServer, TargetWithoutRoomForTheCopiesIsRefusedBeforeAnythingChanges) {
    OwnServer server("127.0.0.12", "NUTV_DB_DATA_SIZE=48m");
    ConversionFixture f;
    CreateCustomerDatabase(f.targetId, f.targetDb, server.address);
    RegisterCustomer(f.targetId, f.targetDb, server.address);
    const std::string table = "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(2000)) ENGINE=InnoDB";
    f.CreateZeroDateTables();
    f.SourceSql(table + "; INSERT INTO qlty SELECT seq, REPEAT('품', 600) FROM seq_1_to_12000; ANALYZE TABLE qlty");
    AdminSql(table +
                 "; INSERT INTO qlty VALUES (1, '옛것'); CREATE TABLE customer (code INT PRIMARY KEY);"
                 "CREATE TABLE product_m (code INT PRIMARY KEY)",
             f.targetDb, server.address);
    f.env.WriteDataSource("small_target", server.address, f.targetDb, f.targetId);
    ado::Connection target;
    target.Open("DSN=small_target;PWD=" + std::string(kCustomerPassword));
    const std::int64_t free = TargetFreeBytes(target).value_or(-1);
    const std::int64_t needed =
        std::stoll(f.SourceScalar("SELECT DATA_LENGTH + INDEX_LENGTH FROM information_schema.TABLES WHERE "
                                  "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'qlty'"));
    ASSERT_GT(needed, free);
    ASSERT_GT(free, 0);
    const std::string tables =
        "SELECT GROUP_CONCAT(TABLE_NAME ORDER BY TABLE_NAME) FROM information_schema.TABLES "
        "WHERE TABLE_SCHEMA = DATABASE()";
    const std::string before = AdminScalar(tables, f.targetDb, server.address);

    f.Select({"qlty"});
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().size(), 2u);
    // The server's own writes move its free space by a few pages between the two readings.
    const std::string prompt = f.boxes.Prompts()[1];
    const std::string lead =
        "시작 전 점검에서 문제를 찾았습니다. 아무 테이블도 비우지 않았습니다.\r\n\r\n대상(Velm) 서버의 디스크 "
        "공간이 모자랍니다: 선택한 테이블을 옆에 새로 채우려면 " +
        GroupDigits(needed) + "바이트가 필요한데 남은 공간은 ";
    ASSERT_EQ(prompt.rfind(lead, 0), 0u) << prompt;
    ASSERT_TRUE(prompt.ends_with("바이트입니다")) << prompt;
    std::string shown = prompt.substr(lead.size(), prompt.size() - lead.size() - std::string("바이트입니다").size());
    std::erase(shown, ',');
    EXPECT_LE(std::abs(std::stoll(shown) - free), 1 << 20) << prompt;
    EXPECT_EQ(AdminScalar(tables, f.targetDb, server.address), before);
    EXPECT_EQ(AdminScalar("SELECT GROUP_CONCAT(code, name) FROM qlty", f.targetDb, server.address), "1옛것");
}

// The target's server in another time zone than the source's (each its default): every
// TIMESTAMP keeps its instant and every DATETIME its text; one shifted is found.
TEST(LenientServer, TimestampsKeepTheirInstantBetweenServersInOtherTimeZones) {
    OwnServer server("127.0.0.11", "NUTV_DB_TIME_ZONE=+09:00");
    ConversionFixture f;
    CreateCustomerDatabase(f.targetId, f.targetDb, server.address);
    RegisterCustomer(f.targetId, f.targetDb, server.address);
    const std::string table = "CREATE TABLE qlty (code INT PRIMARY KEY, at TIMESTAMP NULL, wall DATETIME)";
    f.CreateZeroDateTables();
    f.SourceSql(table +
                "; INSERT INTO qlty SELECT seq, FROM_UNIXTIME(seq * 86413), "
                "'2024-03-31 02:30:00' + INTERVAL seq HOUR FROM seq_1_to_80");
    AdminSql(table + "; CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)",
             f.targetDb, server.address);
    ASSERT_NE(AdminScalar("SELECT @@time_zone", {}, server.address), AdminScalar("SELECT @@time_zone"));
    f.Select({"qlty"});
    f.Start();
    ASSERT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    const std::string rows = "SELECT code, UNIX_TIMESTAMP(at), wall FROM qlty ORDER BY code";
    const std::vector<Row> source = AdminQuery(rows, f.sourceDb);
    EXPECT_EQ(source.size(), 80u);
    EXPECT_EQ(AdminQuery(rows, f.targetDb, server.address), source);
    EXPECT_EQ(f.SummaryLines().at(4), "검증: 일치 1개, 불일치 0개");

    AdminSql("UPDATE qlty SET at = at + INTERVAL 1 HOUR WHERE code = 3", f.targetDb, server.address);
    f.boxes.Clear();
    f.form.cmdVerify_Click();
    ASSERT_EQ(f.boxes.Prompts().size(), 1u);
    EXPECT_NE(f.boxes.Prompts()[0].find("qlty: 원본 80행, 대상 80행, 다른 행의 키: code=3"), std::string::npos)
        << f.boxes.Prompts()[0];
}

namespace {

// The record's line that begins with `start` (empty when there is none).
std::string LineOf(const std::string& record, const std::string& start) {
    const std::size_t at = record.find("\n" + start);
    return at == std::string::npos ? std::string() : record.substr(at + 1, record.find('\n', at + 1) - at - 1);
}

// Two InnoDB tables of several loads each, with text a load must escape; copied to the
// target on `host`. Returns the rows of both, source and target, as one text each.
std::pair<std::string, std::string> CopyTwoTables(ConversionFixture& f, const std::string& host) {
    const std::string definitions =
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(40)) ENGINE=InnoDB;"
        "CREATE TABLE pclass (code INT PRIMARY KEY, name VARCHAR(20)) ENGINE=InnoDB;";
    f.CreateZeroDateTables();
    f.SourceSql(definitions +
                "INSERT INTO qlty SELECT seq, CONCAT('품질\\t', seq, '\\\\N\\n') FROM seq_1_to_9000;"
                "INSERT INTO pclass SELECT seq, IF(seq % 3, 'a\\\\b', NULL) FROM seq_1_to_5000");
    AdminSql(
        definitions + "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY)",
        f.targetDb, host);
    f.Select({"qlty", "pclass"});
    f.Start();
    const std::string rows =
        "SELECT CONCAT((SELECT MD5(GROUP_CONCAT(code, HEX(name) ORDER BY code)) FROM qlty), "
        "(SELECT MD5(GROUP_CONCAT(code, IFNULL(HEX(name), 'n') ORDER BY code)) FROM pclass))";
    return {AdminScalar(rows, f.sourceDb), AdminScalar(rows, f.targetDb, host)};
}

std::string Loads(const std::string& host) {
    return AdminScalar("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = 'COM_LOAD'",
                       {}, host);
}

constexpr const char* kLoadsEnded = "LOAD DATA를 이 실행에서 더 쓰지 않습니다(나머지는 배열 INSERT): ";

// A server whose sql_mode reads backslashes as plain characters, with local files allowed
// or refused: the run is right either way, a refusal is met once and said once.
void NoBackslashEscapesCase(const std::string& address, bool allowed) {
    OwnServer server(address);
    ConversionFixture f;
    CreateCustomerDatabase(f.targetId, f.targetDb, server.address);
    RegisterCustomer(f.targetId, f.targetDb, server.address);
    AdminSql(std::string("SET GLOBAL sql_mode = 'STRICT_TRANS_TABLES,NO_BACKSLASH_ESCAPES', GLOBAL local_infile = ") +
                 (allowed ? "1" : "0"),
             {}, server.address);
    const int loadsBefore = std::stoi(Loads(server.address));
    const auto [source, target] = CopyTwoTables(f, server.address);
    ASSERT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    EXPECT_EQ(source, target);
    const int loads = std::stoi(Loads(server.address)) - loadsBefore;
    const std::string record = f.RecordText();
    const auto lines = f.LogLines();
    const auto ended =
        std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind(kLoadsEnded, 0) == 0; });
    if (allowed) {
        EXPECT_GE(loads, 4);  // 9000 and 5000 rows: at least two loads each
        EXPECT_EQ(ended, 0);
        EXPECT_NE(record.find("  qlty: 검증됨 9,000건 "), std::string::npos) << record;
        EXPECT_NE(LineOf(record, "  pclass: 검증됨 5,000건 ").find(" · 파일로 한꺼번에 넣기 · 원본 5,000행 "),
                  std::string::npos)
            << record;
    } else {
        EXPECT_LE(loads, 2);  // one try on each target connection of the two tables in flight
        EXPECT_EQ(ended, 1);
        EXPECT_NE(
            record.find(
                "\n파일로 한꺼번에 넣기를 그만두고 여러 행씩 넣음: 서버가 파일로 한꺼번에 넣기를 거부했습니다. ("),
            std::string::npos)
            << record;
        EXPECT_NE(LineOf(record, "  pclass: 검증됨 5,000건 ").find(" · 여러 행씩 넣기 · 원본 5,000행 "),
                  std::string::npos)
            << record;
    }
}

}  // namespace

TEST(LenientServer, LoadsUnderNoBackslashEscapes) {
    NoBackslashEscapesCase("127.0.0.7", true);
}
TEST(LenientServer, NoLocalFilesMeansOneRefusalSaidOnce) {
    NoBackslashEscapesCase("127.0.0.8", false);
}

// A server that answers the load with a request for a file of the user's: it gets none
// of it, the rows go as arrays, and the log and the record say what happened.
TEST(LenientServer, HostileServerGetsNoFileOfTheUser) {
    TempDir dir;
    WriteFile(dir / "secret", "remembered password: hunter2-비밀");
    // In a process of its own, so that its sockets are never taken for the copy's. It holds
    // a certificate of the server's authority: the one it relays to could be hostile itself.
    auto proxy =
        std::make_unique<HostileProxy>("127.0.0.9", "--wanted '" + dir.path() + "/secret' " + HostileProxy::Trusted());
    ConversionFixture f;
    RegisterCustomer(f.targetId, f.targetDb, "127.0.0.9");
    const auto [source, target] = CopyTwoTables(f, kCentralHost);
    const std::string received = proxy->Received();
    proxy.reset();

    ASSERT_EQ(f.boxes.Prompts().back(), "복사가 완료되었습니다.");
    EXPECT_EQ(source, target);
    EXPECT_NE(received.find("LOAD DATA LOCAL INFILE"), std::string::npos);  // it did ask
    EXPECT_EQ(received.find("hunter2"), std::string::npos);
    const std::string ended = std::string(kLoadsEnded) + "서버가 보낼 행 대신 다른 파일(" + dir.path() +
                              "/secret)을 요청했습니다. 요청을 거절했고 파일은 보내지 않았습니다.";
    const auto lines = f.LogLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), ended), 1);
    const std::string record = f.RecordText();
    EXPECT_NE(LineOf(record, "  pclass: 검증됨 5,000건 ").find(" · 여러 행씩 넣기 · 원본 5,000행 "), std::string::npos)
        << record;
    EXPECT_NE(record.find("\n파일로 한꺼번에 넣기를 그만두고 여러 행씩 넣음: 서버가 보낼 행 대신 다른 파일("),
              std::string::npos)
        << record;
}

// A target that cannot speak TLS is refused before the run sends it anything; the user and
// the run's record are told which server and why.
TEST(LenientServer, TargetWithoutTlsIsRefusedAndTheRecordSaysWhy) {
    HostileProxy proxy("127.0.0.4", "--no-tls");
    ConversionFixture f;
    RegisterCustomer(f.targetId, f.targetDb, proxy.address);
    f.CreateZeroDateTables();
    f.SourceSql("CREATE TABLE qlty (code INT PRIMARY KEY); INSERT INTO qlty VALUES (1)");
    f.Select({"qlty"});
    f.Start();
    const std::string refusal =
        "대상 데이터베이스 서버 127.0.0.4에 접속하지 않았습니다: 서버가 암호화(TLS) 연결을 "
        "지원하지 않습니다.";
    const auto prompts = f.boxes.Prompts();
    EXPECT_EQ(
        std::count_if(prompts.begin(), prompts.end(), [&](const std::string& p) { return p.rfind(refusal, 0) == 0; }),
        1)
        << ::testing::PrintToString(prompts);
    EXPECT_NE(f.RecordText().find(refusal), std::string::npos) << f.RecordText();
    EXPECT_EQ(proxy.Received(), "");
}
