// A target server that would store anything (global sql_mode=''): the run's session is
// strict all the same, so a value the target cannot hold as it is ends the run with the
// server's own error, on MyISAM as on InnoDB, with the rows before it stored once and
// nothing cut, replaced or defaulted.
#include <gtest/gtest.h>

#include "ConversionFixture.h"
#include "support/OwnServer.h"

using namespace testsupport;

TEST(LenientServer, TargetSessionRefusesWhatTheTargetCannotHold) {
    OwnServer server("127.0.0.6");
    ConversionFixture f;
    CreateCustomerDatabase(f.targetId, f.targetDb, server.address());
    RegisterCustomer(f.targetId, f.targetDb, server.address());
    auto target = [&](const std::string& sql) { AdminSqlAt(server.address(), sql, f.targetDb); };
    auto targetScalar = [&](const std::string& sql) { return AdminScalarAt(server.address(), sql, f.targetDb); };
    AdminSqlAt(server.address(), "SET GLOBAL sql_mode = ''");
    ASSERT_EQ(AdminScalarAt(server.address(), "SELECT @@GLOBAL.sql_mode"), "");

    f.CreateZeroDateTables();
    f.SourceSql(
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(40));"
        "INSERT INTO qlty VALUES (1,'짧다'),(2,'이 이름은 대상 열보다 훨씬 깁니다'),(3,'짧다');"
        "CREATE TABLE pclass (code INT PRIMARY KEY, name VARCHAR(20));"
        "INSERT INTO pclass VALUES (1,'보통'),(2,'웃음 😀'),(3,'보통');"
        "CREATE TABLE storehouse (code INT PRIMARY KEY, name VARCHAR(20));"
        "INSERT INTO storehouse VALUES (1,'창고'),(2,NULL),(3,'창고')");
    target(
        "CREATE TABLE customer (code INT PRIMARY KEY); CREATE TABLE product_m (code INT PRIMARY KEY);"
        "CREATE TABLE qlty (code INT PRIMARY KEY, name VARCHAR(5)) ENGINE=MyISAM;"
        "CREATE TABLE pclass (code INT PRIMARY KEY, name VARCHAR(20) CHARACTER SET utf8mb3) ENGINE=MyISAM;"
        "CREATE TABLE storehouse (code INT PRIMARY KEY, name VARCHAR(20) NOT NULL) ENGINE=InnoDB");

    const struct {
        const char* table;
        const char* serverError;
    } refusals[] = {{"qlty", "Data too long for column 'name'"},
                    {"pclass", "Incorrect string value"},
                    {"storehouse", "Field 'name' doesn't have a default value"}};
    for (const auto& refusal : refusals) {
        f.boxes.Clear();
        f.form.SetChkAll(true);  // so that Select's unticking clears the table before
        f.Select({refusal.table});
        f.Start();
        ASSERT_EQ(f.boxes.Boxes().size(), 2u) << refusal.table;
        const std::string& report = f.boxes.Boxes()[1].prompt;
        EXPECT_EQ(report.rfind("Error -2147467259 (", 0), 0u) << report;
        EXPECT_NE(report.find(refusal.serverError), std::string::npos) << report;
        EXPECT_TRUE(f.LogLines().empty()) << refusal.table;
        const std::string table = refusal.table;
        EXPECT_EQ(targetScalar("SELECT GROUP_CONCAT(code, '=', name ORDER BY code) FROM " + table),
                  table == "qlty"     ? "1=짧다"
                  : table == "pclass" ? "1=보통"
                                      : "1=창고");
    }
}
