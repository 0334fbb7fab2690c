#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <future>
#include <thread>

#include "CustomerDataSource.h"
#include "common/CloseIfOpen.h"
#include "datalayer/Connection.h"
#include "datalayer/OdbcError.h"
#include "datalayer/Recordset.h"
#include "support/OwnServer.h"

using dltest::CustomerDataSource;
using dltest::ErrorOf;

TEST(Connection, OpensThroughTheDataSourceAsTheCustomerWithUtf8mb4) {
    CustomerDataSource ds;
    auto connection = std::make_shared<ado::Connection>();
    EXPECT_EQ(connection->State(), ado::adStateClosed);
    EXPECT_EQ(connection->ConnectionTimeout(), 15);
    EXPECT_EQ(connection->CursorLocation(), ado::adUseServer);
    connection->SetConnectionTimeout(30);
    connection->SetCursorLocation(ado::adUseClient);
    connection->Open(ds.ConnectionString(), "", "", -1);
    EXPECT_EQ(connection->State(), ado::adStateOpen);
    EXPECT_EQ(connection->ConnectionTimeout(), 30);
    EXPECT_EQ(connection->CursorLocation(), ado::adUseClient);

    auto rs = connection->Execute(
        "SELECT CURRENT_USER(), DATABASE(), @@character_set_client, @@character_set_connection, "
        "@@character_set_results",
        nullptr, -1);
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->GetFields().Item(0).GetValue().Text(), ds.id() + "@127.0.0.%");
    EXPECT_EQ(rs->GetFields().Item(1).GetValue().Text(), ds.database());
    for (int i = 2; i < 5; ++i) EXPECT_EQ(rs->GetFields().Item(i).GetValue().Text(), "utf8mb4");

    EXPECT_EQ(ErrorOf([&] { connection->Open(ds.ConnectionString(), "", "", -1); }).number, 3705);
    connection->Close();
    EXPECT_EQ(connection->State(), ado::adStateClosed);
    EXPECT_EQ(rs->State(), ado::adStateClosed);  // closing the connection closed its recordset
    EXPECT_EQ(ErrorOf([&] { connection->Close(); }).number, 3704);
}

TEST(Connection, DataSourceWithAnotherCharacterSetIsPutRightToUtf8mb4) {
    CustomerDataSource ds;
    // The driver honours a data source's CHARSET; the data layer must still speak utf8mb4,
    // also when the connection string names another one.
    std::string ini = testsupport::ReadFile(ds.env().OdbcIniPath());
    ini.replace(ini.find("PORT=3306\n"), 10, "PORT=3306\nCHARSET=latin1\n");
    testsupport::WriteFile(ds.env().OdbcIniPath(), ini);
    ds.Sql("CREATE TABLE t (v VARCHAR(20))");

    auto connection = std::make_shared<ado::Connection>();
    connection->Open(ds.ConnectionString() + ";CHARSET=euckr", "", "", -1);
    auto rs = connection->Execute("SELECT @@character_set_client, @@character_set_results");
    EXPECT_EQ(rs->GetFields().Item(0).GetValue().Text(), "utf8mb4");
    EXPECT_EQ(rs->GetFields().Item(1).GetValue().Text(), "utf8mb4");
    connection->Execute("INSERT INTO t VALUES ('한글 값')");
    EXPECT_EQ(ds.Scalar("SELECT HEX(v) FROM t"), "ED959CEAB88020EAB092");
}

TEST(Connection, UserAndPasswordArgumentsReachTheDriverIntact) {
    CustomerDataSource ds;
    // Characters that would end or confuse a connection-string attribute. (The driver
    // drops blanks around a value, braced or not: such passwords cannot be used.)
    const std::string user = testsupport::UniqueName("u");
    const std::string password = "p;w}d{=x";
    testsupport::AdminSql("CREATE USER " + testsupport::SqlQuote(user) + "@'127.0.0.%' IDENTIFIED BY " +
                          testsupport::SqlQuote(password) + "; GRANT SELECT ON " +
                          testsupport::SqlIdent(ds.database()) + ".* TO " + testsupport::SqlQuote(user) +
                          "@'127.0.0.%'");
    auto connection = std::make_shared<ado::Connection>();
    connection->Open("DSN=" + ds.dsn(), user, password, -1);
    EXPECT_EQ(connection->Execute("SELECT CURRENT_USER()")->GetFields().Item(0).GetValue().Text(), user + "@127.0.0.%");
    testsupport::AdminSql("DROP USER " + testsupport::SqlQuote(user) + "@'127.0.0.%'");
}

TEST(Connection, DriverFailuresCarryTheDriversText) {
    CustomerDataSource ds;
    auto connection = std::make_shared<ado::Connection>();
    auto denied = ErrorOf([&] { connection->Open("DSN=" + ds.dsn() + ";PWD=wrong", "", "", -1); });
    EXPECT_EQ(denied.number, -2147467259);
    EXPECT_NE(denied.description.find("Access denied for user '" + ds.id() + "'"), std::string::npos)
        << denied.description;
    EXPECT_EQ(connection->State(), ado::adStateClosed);

    auto missing = ErrorOf([&] { connection->Open("DSN=no_such_source;PWD=x", "", "", -1); });
    EXPECT_EQ(missing.number, -2147467259);
    EXPECT_NE(missing.description.find("Data source name not found"), std::string::npos) << missing.description;

    connection->Open(ds.ConnectionString(), "", "", -1);
    try {
        connection->Execute("SELECT * FROM no_such_table");
        FAIL() << "a missing table was not reported";
    } catch (const ado::OdbcError& e) {
        EXPECT_EQ(e.number(), -2147467259);
        EXPECT_EQ(e.sqlState(), "42S02");
        EXPECT_EQ(e.nativeError(), 1146);
        EXPECT_NE(e.description().find("Table '" + ds.database() + ".no_such_table' doesn't exist"), std::string::npos)
            << e.description();
    }
    // The connection stays usable after a failed statement.
    EXPECT_EQ(connection->Execute("SELECT 1")->GetFields().Item(0).GetValue().ToLong(), 1);
}

TEST(Connection, ExecuteGivesForwardOnlyRowsForQueriesAndAClosedRecordsetOtherwise) {
    CustomerDataSource ds;
    auto connection = ds.Open();
    std::int64_t affected = -5;
    auto created = connection->Execute("CREATE TABLE t (id INT PRIMARY KEY, name VARCHAR(10))", &affected);
    EXPECT_EQ(created->State(), ado::adStateClosed);
    connection->Execute("INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c')", &affected);
    EXPECT_EQ(affected, 3);
    connection->Execute("UPDATE t SET name = 'x' WHERE id >= 2", &affected);
    EXPECT_EQ(affected, 2);

    auto count = connection->Execute("SELECT COUNT(*) FROM t", nullptr, -1);
    EXPECT_EQ(count->GetFields().Item(0).Type(), ado::adBigInt);
    EXPECT_EQ(count->GetFields().Item(0).GetValue().ToLong(), 3);

    auto rs = connection->Execute("SELECT id, name FROM t ORDER BY id");
    std::string seen;
    for (; !rs->Eof(); rs->MoveNext()) seen += rs->GetFields().Item("NAME").GetValue().Text();
    EXPECT_EQ(seen, "axx");
    EXPECT_EQ(ErrorOf([&] { (void)rs->GetFields().Item("name").GetValue(); }).number, 3021);
    // A forward-only result cannot go back; moving to the first row runs the query again.
    rs->MoveFirst();
    EXPECT_EQ(rs->GetFields().Item("id").GetValue(), ado::Value(1));
    // Rows of a query are read-only.
    EXPECT_EQ(ErrorOf([&] { rs->GetFields().Item("name").SetValue("y"); }).number, 3251);
    EXPECT_EQ(ErrorOf([&] { rs->AddNew(); }).number, 3251);

    auto empty = connection->Execute("SELECT id FROM t WHERE id > 100");
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    EXPECT_EQ(ErrorOf([&] { empty->MoveFirst(); }).number, 3021);
    EXPECT_EQ(ErrorOf([&] { empty->MoveNext(); }).number, 3021);

    connection->Close();
    EXPECT_EQ(ErrorOf([&] { connection->Execute("SELECT 1"); }).number, 3709);
}

TEST(Connection, RecordsetsOutliveTheirConnectionReferenceAndCloseWithTheConnection) {
    CustomerDataSource ds;
    auto connection = ds.Open();
    connection->Execute("CREATE TABLE t (id INT PRIMARY KEY)");
    connection->Execute("INSERT INTO t VALUES (1), (2)");
    auto forward = std::make_shared<ado::Recordset>();
    forward->Open("t", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
    auto fromExecute = connection->Execute("SELECT id FROM t");

    // Dropping the caller's reference keeps the connection alive for its recordsets.
    std::weak_ptr<ado::Connection> watch = connection;
    connection.reset();
    ASSERT_FALSE(watch.expired());
    forward->MoveNext();
    EXPECT_EQ(forward->GetFields().Item(0).GetValue(), ado::Value(2));
    forward->Close();
    EXPECT_FALSE(watch.expired());
    fromExecute.reset();
    EXPECT_TRUE(watch.expired());

    // Closing a connection closes the recordsets over it before it disconnects.
    connection = ds.Open();
    forward->Open("t", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
    connection->Close();
    EXPECT_EQ(forward->State(), ado::adStateClosed);
    EXPECT_EQ(forward->GetFields().Count(), 0);
}

TEST(Connection, CloseIfOpenHandlesEmptyOpenAndClosedConnectionsAndRecordsets) {
    CustomerDataSource ds;
    std::shared_ptr<ado::Connection> none;
    CloseIfOpen(none);
    EXPECT_EQ(none, nullptr);

    auto open = ds.Open();
    auto rs = open->Execute("SELECT 1");
    auto rsCopy = rs;
    CloseIfOpen(rs);
    EXPECT_EQ(rs, nullptr);
    EXPECT_EQ(rsCopy->State(), ado::adStateClosed);
    CloseIfOpen(rsCopy);  // closed: only released
    EXPECT_EQ(rsCopy, nullptr);

    auto openCopy = open;
    CloseIfOpen(open);
    EXPECT_EQ(open, nullptr);
    EXPECT_EQ(openCopy->State(), ado::adStateClosed);

    auto closed = std::make_shared<ado::Connection>();
    CloseIfOpen(closed);
    EXPECT_EQ(closed, nullptr);
    CloseIfOpen(openCopy);
    EXPECT_EQ(openCopy, nullptr);
}

TEST(Connection, AmongColumnsOfEqualNameTheFirstIsFound) {
    CustomerDataSource ds;
    auto connection = ds.Open();
    auto rs = connection->Execute("SELECT 1 AS ID, 2 AS id, 3 AS Id");
    ASSERT_EQ(rs->GetFields().Count(), 3);
    for (const char* name : {"ID", "id", "Id", "iD"})
        EXPECT_EQ(rs->GetFields().Item(name).GetValue().ToLong(), 1) << name;
    EXPECT_EQ(rs->GetFields().Item(1).Name(), "id");
}

TEST(Connection, CuttingAConnectionStillConnectingCutsItAloneAndAtOnce) {
    // Its server is frozen (SIGSTOP), so the connect waits; a healthy connection opened
    // meanwhile to another server keeps working after the cut.
    testsupport::OwnServer frozen("127.0.0.7");
    CustomerDataSource ds;
    ds.env().WriteDataSource("dl_frozen", frozen.address, ds.database(), ds.id());
    ::kill(frozen.pid, SIGSTOP);
    auto hanging = std::make_shared<ado::Connection>();
    auto connecting = std::async(std::launch::async, [&] {
        return ErrorOf([&] { hanging->Open("DSN=dl_frozen;PWD=" + std::string(testsupport::kCustomerPassword)); });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    auto healthy = ds.Open();
    const auto cutAt = std::chrono::steady_clock::now();
    hanging->Abort();
    ASSERT_EQ(connecting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - cutAt, std::chrono::seconds(5));  // not the login timeout
    EXPECT_NE(connecting.get().number, 0);
    EXPECT_EQ(hanging->State(), ado::adStateClosed);
    EXPECT_EQ(healthy->Execute("SELECT 7")->GetFields().Item(0).GetValue().Text(), "7");
}
