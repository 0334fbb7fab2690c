// cMySQL administration and information calls and escape_string.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "MySQLTestSupport.h"
#include "support/ScriptedMsgBox.h"

using namespace mysqltest;
using testsupport::kCentralHost;

namespace {
bool ConnectAsRoot(cMySQL& m) {
    return m.real_connect(kCentralHost, "root", testsupport::kRootPassword, "", 3306, "", 0, false);
}
bool ConnectAsInhouse(cMySQL& m) {
    return m.real_connect(kCentralHost, "vr_inhouse", testsupport::kInhousePassword, "vr_inhouse", 3306, "", 0, false);
}
}  // namespace

TEST(AdminCalls, SelectDbKeepsTheRejectedNameAndSwitchesOnSuccess) {
    const Customer c = NewCustomer();
    cMySQL m;
    ASSERT_TRUE(ConnectAsRoot(m));
    const std::string missing = testsupport::UniqueName("nodb");
    VbError e = RaisedBy([&] { m.select_db(missing); });
    EXPECT_EQ(e.number(), 1049);
    EXPECT_EQ(e.source(), "cMysql::select_db");
    EXPECT_EQ(e.description(), "Unknown database '" + missing + "'");
    EXPECT_EQ(m.db(), missing);

    m.select_db(c.database);
    EXPECT_EQ(m.db(), c.database);
    auto rs = m.query("SELECT DATABASE() AS db");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ((*rs)["db"].GetValue().Text(), c.database);
}

TEST(AdminCalls, StatusCallsRaiseTheServerRefusalWithTheirOwnSource) {
    cMySQL m;
    ASSERT_TRUE(ConnectAsInhouse(m));  // an account without administrative rights
    struct Case {
        std::function<void()> call;
        const char* source;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {[&] { m.Refresh(1); }, "cMysql::refresh", 1227},  // REFRESH_GRANT
        {[&] { m.shutdown(); }, "cMysql::shutdown", 1227},
        {[&] { m.dump_debug_info(); }, "cMysql::dump_debug_info", 1227},
        {[&] { m.create_db(testsupport::UniqueName("new")); }, "cMysql::create_db", 1044},
    };
    for (const auto& c : cases) {
        VbError e = RaisedBy(c.call);
        EXPECT_EQ(e.source(), c.source);
        EXPECT_EQ(e.number(), c.number) << c.source;
        EXPECT_THAT(e.description(), ::testing::StartsWith("Access denied")) << c.source;
    }
    m.ping();  // the session survived all of it
}

TEST(AdminCalls, CreateDbTakesAnyNameAsOneIdentifier) {
    cMySQL m;
    ASSERT_TRUE(ConnectAsRoot(m));
    const std::string name = testsupport::UniqueName("q") + "` x;--";
    m.create_db(name);
    EXPECT_EQ(testsupport::AdminScalar("SELECT COUNT(*) FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = " +
                                       testsupport::SqlQuote(name)),
              "1");
    testsupport::AdminSql("DROP DATABASE " + testsupport::SqlIdent(name));
    EXPECT_EQ(RaisedBy([&] { m.create_db("app_admin"); }).number(), 1007);  // already there
}

TEST(AdminCalls, InfoAfterAPlainSelectRaisesWithTheCurrentError) {
    const Customer c = NewCustomer();
    testsupport::AdminSql("CREATE TABLE t (v INT); INSERT INTO t VALUES (1), (2)", c.database);
    cMySQL m;
    ASSERT_TRUE(Connect(m, c));
    ASSERT_EQ(m.query("UPDATE t SET v = 1"), nullptr);
    EXPECT_EQ(m.info(), "Rows matched: 2  Changed: 1  Warnings: 0");

    ASSERT_NE(m.query("SELECT v FROM t"), nullptr);
    VbError e = RaisedBy([&] { m.info(); });
    EXPECT_EQ(e.source(), "cMysql::info");
    EXPECT_EQ(e.number(), 0);
    EXPECT_EQ(e.description(), "");
}

TEST(AdminCalls, NeverConnectedObjectRaisesFromItsInformationCalls) {
    cMySQL m;
    // Nothing has failed yet: the raise carries the record's current number, 0.
    EXPECT_EQ(RaisedBy([&] { m.thread_id(); }).number(), 0);
    struct Case {
        std::function<void()> call;
        const char* source;
    };
    const std::vector<Case> cases = {
        {[&] { m.thread_id(); }, "cMysql::thread_id"},
        {[&] { m.get_host_info(); }, "cMysql::get_host_info"},
        {[&] { m.get_server_info(); }, "cMysql::get_server_info"},
        {[&] { m.get_proto_info(); }, "cMysql::get_proto_info"},
        {[&] { m.ping(); }, "cMysql::ping"},
    };
    for (const auto& c : cases) EXPECT_EQ(RaisedBy(c.call).source(), c.source);
    EXPECT_EQ(RaisedBy([&] { m.ping(); }).number(), 2006);
}

TEST(AdminCalls, InformationCallsOnAConnection) {
    cMySQL m;
    ASSERT_TRUE(ConnectAsInhouse(m));
    EXPECT_EQ(m.get_host_info(), "127.0.0.1 via TCP/IP");
    EXPECT_EQ(m.get_proto_info(), "10");
    EXPECT_EQ(m.get_server_info(), testsupport::AdminScalar("SELECT VERSION()"));
    EXPECT_THAT(m.stat(), ::testing::StartsWith("Uptime:"));
    EXPECT_THAT(m.get_client_info(), ::testing::MatchesRegex("[0-9]+\\.[0-9]+\\.[0-9]+"));
    EXPECT_EQ(m.thread_safe(), 1);
    EXPECT_GT(m.thread_id(), 0);
}

TEST(AdminCalls, KillEndsAnotherSessionAndIgnoresUnknownIds) {
    cMySQL m;
    cMySQL victim;
    ASSERT_TRUE(ConnectAsInhouse(m));
    ASSERT_TRUE(ConnectAsInhouse(victim));  // same account: allowed to kill it
    m.Kill(victim.thread_id());
    EXPECT_TRUE(ThreadGoneWithin(victim.thread_id()));
    m.Kill(2147483647);  // no such thread: returns normally
    m.ping();
}

TEST(EscapeString, EscapesByBytesAndDoesNotTrim) {
    cMySQL m;  // needs no connection
    std::string to;
    m.escape_string(to, "it's", 4);
    EXPECT_EQ(to, "it\\'s");
    const std::string korean = "한글'";  // 7 bytes
    m.escape_string(to, korean, 7);
    EXPECT_EQ(to, "한글\\'");
    m.escape_string(to, korean, 3);  // the first character's three bytes
    EXPECT_EQ(to, "한");
    m.escape_string(to, "  a\\b\n ", 7);
    EXPECT_EQ(to, "  a\\\\b\\n ");
    m.escape_string(to, "x", 0);
    EXPECT_EQ(to, "");
    VbError e = RaisedBy([&] { m.escape_string(to, "abc", 4); });
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.source(), "cMysql::escape_string");
}

TEST(EscapeString, EscapedTextReadsBackUnchangedFromTheServer) {
    cMySQL m;
    ASSERT_TRUE(ConnectAsInhouse(m));
    const std::string nasty = std::string("  한'글\" \\ ''\\' ") + std::string("\0z\r\n", 4) + "' OR '1'='1; --";
    const std::string hex = testsupport::AdminScalar("SELECT HEX(" + testsupport::SqlQuote(nasty) + ")");
    for (const char* mode : {"", "NO_BACKSLASH_ESCAPES"}) {
        SCOPED_TRACE(mode);
        m.query(std::string("SET SESSION sql_mode = '") + mode + "'");
        ASSERT_EQ(m.err_no(), 0) << m.err_description();
        // Quotes are doubled where a backslash is an ordinary character, escaped elsewhere.
        EXPECT_EQ(m.Quote("a'b\\c"), *mode ? "'a''b\\c'" : "'a\\'b\\\\c'");
        std::string escaped;
        m.escape_string(escaped, nasty, static_cast<std::int32_t>(nasty.size()));
        auto rs = m.query("SELECT HEX('" + escaped + "') AS h, HEX(" + m.Quote(nasty) + ") AS q");
        ASSERT_NE(rs, nullptr);
        EXPECT_EQ((*rs)["h"].GetValue().Text(), hex);
        EXPECT_EQ((*rs)["q"].GetValue().Text(), hex);
    }
}

TEST(AdminCalls, FailedObjectAnswersEveryCallWithoutConnecting) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    ASSERT_FALSE(m.real_connect(kCentralHost, "vr_inhouse", "wrong", "", 3306, "", 0, true));
    EXPECT_EQ(m.err_no(), 1045);
    EXPECT_EQ(RaisedBy([&] { m.ping(); }).source(), "cMysql::ping");
    EXPECT_EQ(RaisedBy([&] { m.get_host_info(); }).source(), "cMysql::get_host_info");
    EXPECT_EQ(RaisedBy([&] { m.select_db("vr_inhouse"); }).source(), "cMysql::select_db");
    EXPECT_EQ(m.list_processes(), nullptr);
    EXPECT_EQ(m.list_dbs(), nullptr);
    EXPECT_EQ(m.list_fields("user"), nullptr);
    EXPECT_NE(m.stat(), "");
    std::string to;
    m.escape_string(to, "'", 1);
    EXPECT_EQ(to, "\\'");
    EXPECT_TRUE(boxes.Boxes().empty());
}
