// cMySQL construction, release, real_connect, its message box and the connection properties.
#include <gtest/gtest.h>

#include "MySQLTestSupport.h"
#include "common/MsgBox.h"
#include "support/HostileProxy.h"
#include "support/ScriptedMsgBox.h"

using namespace mysqltest;
using testsupport::kCentralHost;
using testsupport::kCustomerPassword;
using testsupport::kRootPassword;

namespace {
const std::string kInternetAdvice =
    "\r\n\r\n인터넷이 연결되어 있는지 확인 해 주세요.\r\n\r\n"
    "인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 주세요.\r\n"
    "관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다.";

// CLIENT_FOUND_ROWS: affected_rows counts matched rather than changed rows.
constexpr std::int32_t kClientFoundRows = 2;

std::string ScalarOf(cMySQL& m, const std::string& sql) {
    auto rs = m.query(sql);
    if (!rs || rs->Eof()) return "<none>";
    return rs->GetFields().Item(0).GetValue().Text();
}
}  // namespace

TEST(RealConnect, UnreachableServerShowsLibraryTextAndWholeAdviceUnlessSuppressed) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    // Nothing listens on 3307: the port argument itself reaches the library.
    EXPECT_FALSE(m.real_connect(kCentralHost, "root", kRootPassword, "", 3307, "", 0, false));
    EXPECT_EQ(m.port(), 3307);
    // libmariadb reports a TCP host it cannot reach as 2002 "Can't connect to server on ...".
    EXPECT_EQ(m.err_no(), 2002);
    EXPECT_EQ(m.err_description().rfind("Can't connect to server on '127.0.0.1'", 0), 0u) << m.err_description();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt, "Error " + std::to_string(m.err_no()) + " " + m.err_description() + "\r\n\r\n" +
                                           kCannotConnect + kInternetAdvice);
    EXPECT_EQ(boxes.Boxes()[0].buttons, mb::kOkOnly);
    EXPECT_EQ(boxes.Boxes()[0].title, kProgramTitle);

    boxes.Clear();
    EXPECT_FALSE(m.real_connect(kCentralHost, "root", kRootPassword, "", 3307, "", 0, true));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(m.NoErrMsg());
    EXPECT_EQ(m.err_no(), 2002);
}

TEST(RealConnect, RefusedLoginGivesOnlyTheCannotConnectLineUnlessSuppressed) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    EXPECT_FALSE(m.real_connect(kCentralHost, "vr_inhouse", "wrong", "vr_inhouse", 3306, "", 0, false));
    EXPECT_EQ(m.err_no(), 1045);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt, "Error 1045 " + m.err_description() + "\r\n\r\n" + std::string(kCannotConnect));
    EXPECT_EQ(m.err_description().rfind("Access denied for user 'vr_inhouse'", 0), 0u) << m.err_description();

    boxes.Clear();
    cMySQL quiet;
    EXPECT_FALSE(quiet.real_connect(kCentralHost, "vr_inhouse", "wrong", "vr_inhouse", 3306, "", 0, true));
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(quiet.err_no(), 1045);
}

TEST(RealConnect, LocalSocketFailureIsNoInternetMatter) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    EXPECT_FALSE(m.real_connect("localhost", "x", "y", "", 3306, "/nonexistent/mysqld.sock", 0, false));
    EXPECT_EQ(m.unix_socket(), "/nonexistent/mysqld.sock");
    EXPECT_EQ(m.err_no(), 2002);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt, "Error 2002 " + m.err_description() + "\r\n\r\n" + kCannotConnect);
}

// The session is encrypted as the server sees it, and the server turns away a clear-text
// login of the same account.
TEST(RealConnect, SessionIsEncrypted) {
    const Customer c = NewCustomer();
    cMySQL m;
    ASSERT_TRUE(Connect(m, c, true)) << m.err_description();
    EXPECT_NE(ScalarOf(m,
                       "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
                       "WHERE VARIABLE_NAME = 'SSL_CIPHER'"),
              "");
    const std::string login = "mariadb --no-defaults -h " + std::string(kCentralHost) + " -u " + c.account + " -p" +
                              kCustomerPassword + " -e 'SELECT 1' >/dev/null 2>&1";
    EXPECT_EQ(std::system((login + " --ssl-verify-server-cert --ssl-ca=" + testsupport::kAuthorityFile).c_str()), 0);
    EXPECT_NE(std::system((login + " --skip-ssl").c_str()), 0);
}

// A server without TLS, with a certificate of another authority, for another address or
// expired: refused before the login is sent, in words that name the server and the fault.
TEST(RealConnect, TlsRefusalsNameTheServerAndSendNothing) {
    using testsupport::HostileProxy;
    const std::pair<std::string, std::string> cases[] = {
        {"--no-tls", "서버가 암호화(TLS) 연결을 지원하지 않습니다"},
        {HostileProxy::OtherAuthority(), "서버의 인증서를 이 프로그램이 믿는 인증 기관이 발급하지 않았습니다"},
        {HostileProxy::Expired(), "서버의 인증서가 만료되었습니다"},
        {HostileProxy::Trusted(), "서버의 인증서가 접속한 주소의 것이 아닙니다"}};
    for (const auto& [options, why] : cases) {
        // The test certificates name 127.0.0.1-15: the trusted one is for another address here.
        HostileProxy proxy(options == HostileProxy::Trusted() ? "127.0.0.20" : "127.0.0.4", options);
        testsupport::ScriptedMsgBox boxes;
        cMySQL m("중앙 관리 데이터베이스 서버");
        EXPECT_FALSE(m.real_connect(proxy.address, "root", kRootPassword, "", 3306, "", 0, false));
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(
            boxes.Prompts()[0].rfind(
                "Error 2026 중앙 관리 데이터베이스 서버 " + proxy.address + "에 접속하지 않았습니다: " + why + ".", 0),
            0u)
            << boxes.Prompts()[0];
        EXPECT_EQ(proxy.Received().find("root"), std::string::npos) << options;
    }
}

TEST(RealConnect, ObjectConnectsAgainAfterAFailure) {
    const Customer c = NewCustomer();
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    EXPECT_FALSE(m.real_connect(kCentralHost, c.account, "wrong", c.database, 3306, "", 0, true));
    ASSERT_TRUE(m.real_connect(kCentralHost, c.account, kCustomerPassword, c.database, 3306, "", 0, false));
    EXPECT_FALSE(m.NoErrMsg());
    // The record is set up afresh after the failure, utf8mb4 included.
    EXPECT_EQ(ScalarOf(m, "SELECT CONCAT(@@character_set_client, '/', @@character_set_results)"), "utf8mb4/utf8mb4");
    EXPECT_EQ(ScalarOf(m, "SELECT '누리온 한글'"), "누리온 한글");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(RealConnect, PropertiesHoldTheValuesUsedAndPort3306IsNotRecorded) {
    const Customer c = NewCustomer();
    cMySQL m;
    EXPECT_EQ(m.port(), 0);
    ASSERT_TRUE(Connect(m, c));
    EXPECT_EQ(m.host(), kCentralHost);
    EXPECT_EQ(m.user(), c.account);
    EXPECT_EQ(m.password(), kCustomerPassword);
    EXPECT_EQ(m.db(), c.database);
    EXPECT_EQ(m.port(), 0);
    EXPECT_EQ(m.ClientFlags(), 0);
    EXPECT_EQ(ScalarOf(m, "SELECT DATABASE()"), c.database);
}

TEST(RealConnect, PortPropertyIsNotWhatTheConnectUses) {
    const Customer c = NewCustomer();
    cMySQL m;
    m.SetPort(3307);
    ASSERT_TRUE(m.real_connect(kCentralHost, c.account, kCustomerPassword, c.database));
    EXPECT_EQ(m.port(), 3307);
    EXPECT_EQ(ScalarOf(m, "SELECT @@port"), "3306");
}

TEST(RealConnect, EmptyArgumentsKeepThePropertiesSetBefore) {
    const Customer c = NewCustomer();
    cMySQL m;
    m.SetHost(kCentralHost);
    m.SetUser(c.account);
    m.SetPassword(kCustomerPassword);
    m.SetDb(c.database);
    ASSERT_TRUE(m.real_connect());
    EXPECT_EQ(m.get_host_info(), "127.0.0.1 via TCP/IP");
    EXPECT_EQ(ScalarOf(m, "SELECT CONCAT(SUBSTRING_INDEX(USER(), '@', 1), ' ', DATABASE())"),
              c.account + " " + c.database);
}

TEST(RealConnect, ClientFlagsPropertyReachesTheLibraryWhenTheArgumentIsZero) {
    const Customer c = NewCustomer();
    testsupport::AdminSql("CREATE TABLE t (id INT PRIMARY KEY, v INT); INSERT INTO t VALUES (1, 5), (2, 5)",
                          c.database);
    const std::string unchanging = "UPDATE t SET v = 5";

    cMySQL plain;
    ASSERT_TRUE(Connect(plain, c));
    EXPECT_EQ(plain.query(unchanging), nullptr);
    EXPECT_EQ(plain.affected_rows(), 0);

    cMySQL foundRows;
    foundRows.SetClientFlags(kClientFoundRows);
    ASSERT_TRUE(Connect(foundRows, c));  // clientflag argument 0
    EXPECT_EQ(foundRows.ClientFlags(), kClientFoundRows);
    EXPECT_EQ(foundRows.query(unchanging), nullptr);
    EXPECT_EQ(foundRows.affected_rows(), 2);

    cMySQL byArgument;
    ASSERT_TRUE(byArgument.real_connect(kCentralHost, c.account, kCustomerPassword, c.database, 3306, "",
                                        kClientFoundRows, false));
    EXPECT_EQ(byArgument.ClientFlags(), kClientFoundRows);
    EXPECT_EQ(byArgument.query(unchanging), nullptr);
    EXPECT_EQ(byArgument.affected_rows(), 2);
}

TEST(RealConnect, NulInsideAValueIsRefusedRatherThanCutShort) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    EXPECT_FALSE(m.real_connect(kCentralHost, "vr_inhouse",
                                std::string(testsupport::kInhousePassword) + std::string("\0tail", 5), "vr_inhouse"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt, "Error 5 Invalid procedure call or argument");
}

TEST(RealConnect, ConnectingAConnectedObjectReplacesItsSession) {
    const Customer first = NewCustomer("mc1");
    const Customer second = NewCustomer("mc2");
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    ASSERT_TRUE(Connect(m, first));
    const std::int32_t oldThread = m.thread_id();
    ASSERT_TRUE(Connect(m, second));
    EXPECT_NE(m.thread_id(), oldThread);
    EXPECT_EQ(ScalarOf(m, "SELECT DATABASE()"), second.database);
    EXPECT_TRUE(ThreadGoneWithin(oldThread));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(Release, ClosesTheConnectionAndAFailedObjectReleasesCleanly) {
    const Customer c = NewCustomer();
    std::int32_t thread = 0;
    {
        cMySQL m;
        ASSERT_TRUE(Connect(m, c));
        thread = m.thread_id();
        EXPECT_TRUE(ThreadExists(thread));
    }
    EXPECT_TRUE(ThreadGoneWithin(thread));
    // Released after a failed connect: the sanitizer build checks that nothing leaks.
    cMySQL failed;
    EXPECT_FALSE(failed.real_connect(kCentralHost, c.account, "wrong", "", 3306, "", 0, true));
}
