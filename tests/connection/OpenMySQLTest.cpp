#include <gtest/gtest.h>

#include <array>

#include "FormStub.h"
#include "common/VbError.h"
#include "connection/ConnectionTarget.h"
#include "connection/OdbcDataSources.h"
#include "connection/OpenMySQL.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "support/HostileProxy.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"

using namespace testsupport;

namespace {
// A customer database with one table, reachable on 127.0.0.2 as the customer account.
struct Customer {
    std::string id = UniqueName("o");
    std::string database = "maketarn_" + id;
    Customer() {
        CreateCustomerDatabase(id, database);
        AdminSql(
            "CREATE TABLE customer (code INT PRIMARY KEY, name VARCHAR(40)); "
            "INSERT INTO customer VALUES (1, '한빛상사')",
            database);
    }
    FormState Form(CustomerIndex index) const {
        FormState form;
        form.ids[index] = id;
        form.names[index] = database;
        form.hosts[index] = kCustomerHostA;
        return form;
    }
};
}  // namespace

TEST(OpenMySQL, MissingIdNameOrHostIsReportedAndNothingIsWritten) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    OdbcDataSources sources;
    FormState form;
    form.ids[1] = "   ";
    form.names[1] = "makevelm_x";
    form.hosts[1] = "127.0.0.3";
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 1, false));
    EXPECT_EQ(form.focus, "txtID(1)");

    form.ids[0] = "x";
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 0, false));
    form.names[0] = "maketarn_x";
    form.hosts[0] = "  ";
    form.focus.clear();
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 0, true));
    EXPECT_EQ(form.focus, "");
    EXPECT_EQ(boxes.Prompts(),
              (std::vector<std::string>{"tarn정보의 [ID]가 입력되지 않았습니다.", "tarn정보의 [DB명]을 알 수 없습니다.",
                                        "tarn정보의 [HOST]를 알 수 없습니다."}));
    EXPECT_EQ(ReadFile(env.UserOdbcIniPath()), "");
    EXPECT_EQ(connection->State(), 0);
}

TEST(OpenMySQL, OpensThroughTheWrittenDataSourceWithOptionsOnRequest) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    Customer customer;
    OdbcDataSources sources;
    FormState source = customer.Form(0);
    auto withOptions = std::make_shared<ado::Connection>();
    ASSERT_TRUE(OpenMySQL(source, sources, withOptions, 0, true)) << ::testing::PrintToString(boxes.Prompts());
    EXPECT_EQ(withOptions->State(), 1);
    EXPECT_EQ(withOptions->ConnectionTimeout(), 30);
    EXPECT_EQ(withOptions->CursorLocation(), 3);
    auto rs = withOptions->Execute("SELECT name FROM customer");
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->GetFields().Item(0).GetValue().Text(), "한빛상사");
    EXPECT_NE(ReadFile(env.UserOdbcIniPath()).find("[varok_DataConv160316_0]"), std::string::npos);
    rs = withOptions->Execute("SELECT @@SESSION.sql_mode");
    EXPECT_NE(rs->GetFields().Item(0).GetValue().Text().find("STRICT_ALL_TABLES"), std::string::npos);

    FormState target = customer.Form(1);
    auto plain = std::make_shared<ado::Connection>();
    ASSERT_TRUE(OpenMySQL(target, sources, plain, 1, false));
    const ado::Connection defaults;
    EXPECT_EQ(plain->ConnectionTimeout(), defaults.ConnectionTimeout());
    EXPECT_EQ(plain->CursorLocation(), defaults.CursorLocation());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(OpenMySQL, RefusedLoginGivesTheReportWithLineNumber) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    Customer customer;
    AdminSql("ALTER USER " + SqlQuote(customer.id) + "@'127.0.0.%' IDENTIFIED BY 'another'");
    OdbcDataSources sources;
    FormState form = customer.Form(0);
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 0, true));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& prompt = boxes.Boxes()[0].prompt;
    EXPECT_EQ(prompt.rfind("Error -2147467259 (", 0), 0u) << prompt;
    EXPECT_NE(prompt.find("Access denied"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find(") in procedure OpenMySQL of Form Form1. Err Line:6"), std::string::npos) << prompt;
    EXPECT_EQ(connection->State(), 0);
}

TEST(OpenMySQL, UnwritableOrUnsafeDataSourceOpensNothing) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    Customer customer;
    OdbcDataSources sources;
    FormState form = customer.Form(0);
    // An old definition that would still work: the open must not fall back on it.
    ASSERT_TRUE(OpenMySQL(form, sources, std::make_shared<ado::Connection>(), 0, false));
    ::chmod(env.UserOdbcIniPath().c_str(), 0606);  // another account could name another driver
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 0, false));
    EXPECT_EQ(connection->State(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].prompt.find("in procedure CreateMyODBC of Form Form1"), std::string::npos);

    ::unlink(env.UserOdbcIniPath().c_str());
    ::mkdir(env.UserOdbcIniPath().c_str(), 0500);
    EXPECT_FALSE(OpenMySQL(form, sources, connection, 0, false));
    EXPECT_EQ(connection->State(), 0);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

// A data source left by an earlier run or another tool, with keys we never write: the
// registration replaces it whole, so the connection reaches the customer's database on the
// section's own server, port and settings; a system one of the same name lends it nothing.
TEST(OpenMySQL, StaleKeysAreDroppedAndASystemDataSourceLendsNone) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    Customer customer;
    const std::string stale = "[varok_DataConv160316_0]\nDriver=" + std::string(kOdbcDriverPath) +
                              "\nSERVER=127.0.0.3\nDATABASE=mysql\nUID=" + customer.id +
                              "\nPORT=3399\nSOCKET=/nonexistent/other-server.sock\n"
                              "INITSTMT=SET @nutv_stale_setting = 1\n";
    const std::string staleIni = "[ODBC Data Sources]\nvarok_DataConv160316_0=MySQL ODBC 3.51 Driver\n\n" + stale;
    WriteFile(env.OdbcIniPath(), staleIni);
    WriteFile(env.UserOdbcIniPath(), staleIni);
    OdbcDataSources sources;
    FormState form = customer.Form(0);
    auto connection = std::make_shared<ado::Connection>();
    ASSERT_TRUE(OpenMySQL(form, sources, connection, 0, false)) << ::testing::PrintToString(boxes.Prompts());
    auto rs = connection->Execute("SELECT DATABASE(), @nutv_stale_setting IS NULL, (SELECT name FROM customer)");
    EXPECT_EQ(rs->GetFields().Item(0).GetValue().Text(), customer.database);
    EXPECT_EQ(rs->GetFields().Item(1).GetValue().Text(), "1");
    EXPECT_EQ(rs->GetFields().Item(2).GetValue().Text(), "한빛상사");
    const std::string ini = ReadFile(env.UserOdbcIniPath());
    for (const char* gone : {"PORT", "SOCKET", "INITSTMT", "127.0.0.3", "DATABASE=mysql"})
        EXPECT_EQ(ini.find(gone), std::string::npos) << gone << " left in\n" << ini;
    EXPECT_EQ(ReadFile(env.OdbcIniPath()), staleIni);  // the system file is not ours to write
}

// Data sources that lead elsewhere than the customer database they are opened for:
// another address of the same server, another database, the server's socket file. Each
// opens and is then refused, saying where it led; the right one passes, strict although
// its start-up statement makes the session lenient.
TEST(OpenMySQL, ConnectionThatLandsElsewhereIsRefused) {
    IsolatedEnvironment env;
    Customer c;
    const std::string other = c.database + "_x", account = SqlQuote(c.id) + "@localhost";
    CreateCustomerDatabase(c.id, other);
    AdminSql("CREATE USER " + account + " IDENTIFIED BY " + SqlQuote(kCustomerPassword) + "; GRANT ALL ON " +
             SqlIdent(c.database) + ".* TO " + account);
    const std::string socket = std::string(std::getenv("NUTV_TEST_DB_DIR")) + "/mysqld.sock";
    std::string ini;  // written at once: unixODBC keeps what it read while the file's second lasts
    for (const auto& [dsn, server, database, extra] : std::vector<std::array<std::string, 4>>{
             {"right", kCustomerHostA, c.database, "INITSTMT=SET SESSION sql_mode=''\n"},
             {"address", kCustomerHostB, c.database, ""},
             {"database", kCustomerHostA, other, ""},
             {"socket", "localhost", c.database, "SOCKET=" + socket + "\n"}})
        ini += "[" + dsn + "]\nDriver=" + kOdbcDriverPath + "\nSERVER=" + server + "\nDATABASE=" + database +
               "\nUID=" + c.id + "\n" + DataSourceTlsKeys() + extra;
    WriteFile(env.OdbcIniPath(), ini);
    auto refusal = [&](const std::string& dsn) {
        ado::Connection connection;
        connection.Open("DSN=" + dsn + ";PWD=" + kCustomerPassword);
        try {
            RequireIntendedServer(connection, dsn, c.database, kCustomerHostA, 3306, "원본 데이터베이스 서버");
        } catch (const VbError& e) {
            EXPECT_EQ(connection.State(), 0);
            return e.description();
        }
        return connection.Execute("SELECT @@SESSION.sql_mode")->GetFields().Item(0).GetValue().Text();
    };
    EXPECT_NE(refusal("right").find("STRICT_ALL_TABLES"), std::string::npos);
    EXPECT_NE(refusal("address").find("요청한 서버 127.0.0.2:3306가 아니라 127.0.0.3:3306"), std::string::npos);
    EXPECT_NE(refusal("database").find("'" + other + "'는 요청한 데이터베이스 '" + c.database + "'"),
              std::string::npos);
    EXPECT_NE(refusal("socket").find("소켓 파일 " + socket), std::string::npos);
    AdminSql("DROP DATABASE " + SqlIdent(other) + "; DROP USER " + account);
}

// A customer server that TLS refuses is not used: the user is told which one (source or
// target) and what was wrong, and it never saw the login.
TEST(OpenMySQL, TlsRefusalNamesTheCustomerServer) {
    IsolatedEnvironment env;
    Customer customer;
    OdbcDataSources sources;
    const std::pair<std::string, std::string> cases[] = {
        {"--no-tls", "서버가 암호화(TLS) 연결을 지원하지 않습니다"},
        {HostileProxy::OtherAuthority(), "서버의 인증서를 이 프로그램이 믿는 인증 기관이 발급하지 않았습니다"}};
    for (CustomerIndex index : {kSourceCustomer, kTargetCustomer}) {
        const auto& [options, why] = cases[index];
        HostileProxy proxy("127.0.0.4", options);
        ScriptedMsgBox boxes;
        FormState form = customer.Form(index);
        form.hosts[index] = proxy.address;
        auto connection = std::make_shared<ado::Connection>();
        std::string refusal;
        EXPECT_FALSE(OpenMySQL(form, sources, connection, index, true, &refusal));
        const std::string server = std::string(index == kSourceCustomer ? "원본" : "대상") + " 데이터베이스 서버 ";
        EXPECT_EQ(refusal.rfind(server + proxy.address + "에 접속하지 않았습니다: " + why + ".", 0), 0u) << refusal;
        EXPECT_EQ(boxes.Prompts(), std::vector<std::string>{refusal});
        EXPECT_EQ(proxy.Received().find(customer.id), std::string::npos);
        EXPECT_EQ(connection->State(), 0);
    }
    const std::string ini = ReadFile(env.UserOdbcIniPath());
    for (const char* key : {"\nFORCETLS=1\n", "\nSSLVERIFY=1\n", "\nSSLCA=/proc/self/fd/"})
        EXPECT_NE(ini.find(key), std::string::npos) << ini;
}
