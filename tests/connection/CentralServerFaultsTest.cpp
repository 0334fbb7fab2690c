// The customer lookup and the in-house session against a central server of the test's
// own that runs with NO_BACKSLASH_ESCAPES and then stops answering (SIGSTOP).
#include <gtest/gtest.h>

#include <chrono>

#include "FormStub.h"
#include "common/CentralDBHost.h"
#include "connection/CustomerLocator.h"
#include "mysqlclient/cMySQL.h"
#include "startup/InhouseAccount.h"
#include "support/PrivateServer.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestServer.h"

using namespace testsupport;

namespace {
constexpr const char* kStaffPassword = "staff-secret-7731";

FormState FormFor(const std::string& id) {
    FormState form;
    form.ids[0] = id;
    form.names[0] = "maketarn_" + id;
    return form;
}

std::chrono::seconds Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
}
}  // namespace

TEST(CentralServerFaults, InjectionFindsNothingUnderNoBackslashEscapesAndAFrozenServerIsGivenUp) {
    if (!PrivateServer::Available()) GTEST_SKIP() << "no network namespace for a server of the test's own";
    PrivateServer server;
    RegisterCustomer("real", "maketarn_real", kCustomerHostB);
    RegisterCustomer("a\\b'c", "maketarn_a\\b'c", kCustomerHostA);
    // From here on every new session, the program's and the helpers', runs in this mode.
    AdminSql("INSERT INTO vr_inhouse.user (id, password) VALUES ('staff', '" + std::string(kStaffPassword) +
             "'); SET GLOBAL sql_mode = 'NO_BACKSLASH_ESCAPES'");

    ScriptedMsgBox boxes;
    CustomerLocator locator;
    // Escaped with backslashes, the quote would end the literal here and the rest would
    // run as SQL, putting the staff password into the server's error text.
    const std::string attack =
        "x' OR extractvalue(1, concat(0x7e, (SELECT password FROM vr_inhouse.user LIMIT 1))) -- ";
    FormState injected = FormFor(attack);
    EXPECT_EQ(locator.LocateCustomerDB(injected, 0), "");
    EXPECT_EQ(injected.log.back(), "해당 DB는 존재하지 않습니다.");
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Prompts()[0];  // where the password would show
    // A backslash is an ordinary character of the name here, and a quote is found as one.
    FormState odd = FormFor("a\\b'c");
    EXPECT_EQ(locator.LocateCustomerDB(odd, 0), kCustomerHostA);
    FormState real = FormFor("real");
    EXPECT_EQ(locator.LocateCustomerDB(real, 0), kCustomerHostB);

    // A session opened before the server froze gives up its statement at the read limit,
    // says so, and does not try again.
    cMySQL session;
    ASSERT_TRUE(session.real_connect(CentralDBHost(), inhouse::kUser, inhouse::kPassword, inhouse::kDatabase));
    server.Freeze();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(session.query("SELECT id FROM user"), nullptr);
    EXPECT_LT(Since(start).count(), cMySQL::kReadWriteTimeoutSeconds + 5);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].prompt.find("데이터베이스 서버가 20초 동안 응답하지 않아 작업을 멈추었습니다."),
              std::string::npos)
        << boxes.Boxes()[0].prompt;

    // The lookup's connect gives up at the connect limit with the connect report.
    boxes.Clear();
    start = std::chrono::steady_clock::now();
    FormState frozen = FormFor("real");
    EXPECT_EQ(locator.LocateCustomerDB(frozen, 0), "");
    EXPECT_LT(Since(start).count(), cMySQL::kConnectTimeoutSeconds + 5);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].prompt.find("서버가 10초 동안 응답하지 않았습니다."), std::string::npos)
        << boxes.Boxes()[0].prompt;
    EXPECT_EQ(frozen.log.size(), 1u);

    // Once the server goes on, so does the lookup.
    server.Thaw();
    boxes.Clear();
    FormState resumed = FormFor("real");
    EXPECT_EQ(locator.LocateCustomerDB(resumed, 0), kCustomerHostB);
    EXPECT_TRUE(boxes.Boxes().empty());
}
