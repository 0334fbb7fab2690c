// A target server that would store anything (global sql_mode=''): the run's session is
// strict all the same, so a value the target cannot hold as it is ends the run with the
// server's own error, on MyISAM as on InnoDB, with the rows before it stored once.
#include <gtest/gtest.h>

#include "ConversionFixture.h"
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

    const std::pair<const char*, const char*> refusals[] = {
        {"qlty", "Data too long for column 'name'"},
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
        EXPECT_EQ(AdminScalar(std::string("SELECT GROUP_CONCAT(code, name) FROM ") + table, f.targetDb, server.address),
                  table == std::string("qlty") ? "1짧다" : "1a");
    }
}
