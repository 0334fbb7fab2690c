// query's single reconnect after the server lost the object's session.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "MySQLTestSupport.h"
#include "NetworkSandbox.h"
#include "support/PrivateServer.h"
#include "support/ScriptedMsgBox.h"

using namespace mysqltest;
using ::testing::ElementsAre;
using testsupport::AdminScalar;
using testsupport::AdminSql;

namespace {
void KillFromAnotherSession(std::int64_t thread) {
    AdminSql("KILL " + std::to_string(thread));
    ASSERT_TRUE(ThreadGoneWithin(thread));
}

// Kills, as root, every session of `account` that is running a statement, for as long
// as it lives; counts the kills.
class SessionKiller {
public:
    explicit SessionKiller(std::string account) : account_(std::move(account)), worker_([this] { Run(); }) {}
    ~SessionKiller() {
        stop_ = true;
        worker_.join();
    }
    int Kills() const { return kills_; }

private:
    void Run() {
        while (!stop_) {
            try {
                for (const auto& row :
                     testsupport::AdminQuery("SELECT ID FROM information_schema.PROCESSLIST WHERE USER = " +
                                             testsupport::SqlQuote(account_) + " AND COMMAND = 'Query'")) {
                    AdminSql("KILL " + *row[0]);
                    ++kills_;
                }
            } catch (const std::exception&) {
                // The session ended by itself meanwhile.
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::string account_;
    std::atomic<bool> stop_{false};
    std::atomic<int> kills_{0};
    std::thread worker_;
};
}  // namespace

TEST(QueryReconnect, LostSessionIsReestablishedWithTheStoredAccountAndTheStatementAnswered) {
    const Customer c = NewCustomer();
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    ASSERT_TRUE(Connect(m, c));
    const std::int32_t lost = m.thread_id();
    KillFromAnotherSession(lost);

    auto rs = m.query("SELECT CONNECTION_ID() AS cid, DATABASE() AS db, SUBSTRING_INDEX(USER(), '@', 1) AS who");
    ASSERT_NE(rs, nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_NE((*rs)["cid"].GetValue().Text(), std::to_string(lost));
    EXPECT_EQ((*rs)["cid"].GetValue().Text(), std::to_string(m.thread_id()));
    EXPECT_EQ((*rs)["db"].GetValue().Text(), c.database);
    EXPECT_EQ((*rs)["who"].GetValue().Text(), c.account);
    EXPECT_FALSE(ThreadExists(lost));
    EXPECT_EQ(m.port(), 0);
    // The object stays usable.
    EXPECT_NE(m.query("SELECT 1"), nullptr);
}

TEST(QueryReconnect, SecondLossInTheSameCallEndsInOneMessageBox) {
    const Customer c = NewCustomer();
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    ASSERT_TRUE(Connect(m, c));
    int kills = 0;
    {
        SessionKiller killer(c.account);
        EXPECT_EQ(m.query("SELECT SLEEP(30)"), nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a third attempt would be killed too
        kills = killer.Kills();
    }
    EXPECT_EQ(kills, 2);  // the statement went out twice, no more
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_THAT(boxes.Boxes()[0].prompt, ::testing::MatchesRegex("Error 20(06|13|26) \\(.+\\)"));
    EXPECT_EQ(boxes.Boxes()[0].prompt, "Error " + std::to_string(m.err_no()) + " (" + m.err_description() + ")");
}

TEST(QueryReconnect, FailedReconnectIsReportedByRealConnectUnlessNoErrMsgWasStored) {
    for (bool noErrMsg : {false, true}) {
        const Customer c = NewCustomer(noErrMsg ? "quiet" : "loud");
        testsupport::ScriptedMsgBox boxes;
        cMySQL m;
        ASSERT_TRUE(Connect(m, c, noErrMsg));
        AdminSql("ALTER USER " + testsupport::SqlQuote(c.account) + "@'127.0.0.%' IDENTIFIED BY 'changed'");
        KillFromAnotherSession(m.thread_id());

        EXPECT_EQ(m.query("SELECT 1"), nullptr);
        EXPECT_EQ(m.err_no(), 1045);
        if (noErrMsg) {
            EXPECT_TRUE(boxes.Boxes().empty());
        } else {
            EXPECT_THAT(boxes.Prompts(),
                        ElementsAre("Error 1045 " + m.err_description() + "\r\n\r\n" + kCannotConnect));
        }
    }
}

TEST(QueryReconnect, RejectedDatabaseNameOfSelectDbIsWhatTheReconnectAsksFor) {
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    ASSERT_TRUE(m.real_connect(testsupport::kCentralHost, "root", testsupport::kRootPassword, "app_admin"));
    const std::string missing = testsupport::UniqueName("missing");
    EXPECT_EQ(RaisedBy([&] { m.select_db(missing); }).number(), 1049);
    KillFromAnotherSession(m.thread_id());

    EXPECT_EQ(m.query("SELECT 1"), nullptr);
    EXPECT_THAT(boxes.Prompts(), ElementsAre("Error 1049 Unknown database '" + missing + "'\r\n\r\n" + kCannotConnect));
}

TEST(QueryReconnect, NeverConnectedObjectTriesTheStoredValuesOnce) {
    const Customer c = NewCustomer();
    testsupport::ScriptedMsgBox boxes;
    cMySQL m;
    // Without real_connect the first query finds no server and connects with the properties.
    m.SetHost(testsupport::kCentralHost);
    m.SetUser(c.account);
    m.SetPassword(testsupport::kCustomerPassword);
    m.SetDb(c.database);
    auto rs = m.query("SELECT DATABASE() AS db");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ((*rs)["db"].GetValue().Text(), c.database);
    EXPECT_TRUE(boxes.Boxes().empty());

    cMySQL empty;
    EXPECT_EQ(empty.query("SELECT 1"), nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);  // real_connect's report, once
    EXPECT_EQ(boxes.Boxes()[0].prompt.rfind("Error 2002 ", 0), 0u) << boxes.Boxes()[0].prompt;
}

TEST(QueryReconnect, AfterAServerRestartTheLostIdsAreNeitherAnotherClientsNorOurOwnNewSession) {
    if (!testsupport::PrivateServer::Available()) GTEST_SKIP() << "no network namespace for a server of the test's own";
    testsupport::PrivateServer server;
    testsupport::ScriptedMsgBox boxes;
    auto connectRoot = [](cMySQL& m) {
        return m.real_connect(testsupport::kCentralHost, "root", testsupport::kRootPassword, "app_admin");
    };
    // Two sessions with neighbouring ids on the first run of the server.
    cMySQL first, second;
    ASSERT_TRUE(connectRoot(first));
    ASSERT_TRUE(connectRoot(second));
    const std::int32_t firstId = first.thread_id();
    ASSERT_EQ(second.thread_id(), firstId + 1);

    server.Restart();
    // Ids start afresh: another client's sessions take ids up to the first one's old id.
    std::vector<std::unique_ptr<cMySQL>> others;
    do {
        others.push_back(std::make_unique<cMySQL>());
        ASSERT_TRUE(connectRoot(*others.back()));
    } while (others.back()->thread_id() < firstId);
    ASSERT_EQ(others.back()->thread_id(), firstId) << "the restarted server did not reuse the id";

    // The first reconnect gets firstId + 1, the second's old id; the second's then
    // gets firstId + 2. Killing the lost ids would end the other client's session and
    // the first object's new one.
    auto rs = first.query("SELECT CONNECTION_ID() AS cid");
    ASSERT_NE(rs, nullptr);
    EXPECT_EQ((*rs)["cid"].GetValue().Text(), std::to_string(firstId + 1));
    ASSERT_NE(second.query("SELECT 1"), nullptr);
    EXPECT_EQ(second.thread_id(), firstId + 2);

    EXPECT_TRUE(ThreadExists(firstId));
    EXPECT_TRUE(ThreadExists(firstId + 1));
    EXPECT_NE(others.back()->query("SELECT 1"), nullptr);
    EXPECT_NE(first.query("SELECT 1"), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].prompt;
}

TEST(QueryReconnect, ASessionCutOffByTheNetworkIsEndedOnTheSameServerRun) {
    if (!sandbox::Available()) GTEST_SKIP() << "no network namespace for the relay";
    const Customer c = NewCustomer();
    // The program reaches the server through a relay that then goes silent: the server
    // keeps the lost session, running its statement, as if nothing had happened.
    const sandbox::Outcome out = sandbox::RunInSandbox({}, [&](sandbox::Child& child) {
        cMySQL m;
        if (!Connect(m, c)) return;
        const std::int32_t lost = m.thread_id();
        std::thread cut([&child] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            child.CutServerConnectionsSilently();
        });
        // Only the first session sleeps: the statement sent again on the new one returns.
        const bool answered =
            m.query("SELECT SLEEP(IF(CONNECTION_ID() = " + std::to_string(lost) + ", 60, 0)) AS s") != nullptr;
        cut.join();
        child.Set("answered", answered);
        // Left alone, the lost session would sleep on for a minute.
        child.Set("lostEnded", ThreadGoneWithin(lost));
    });
    ASSERT_EQ(out.failure, "");
    EXPECT_TRUE(out.boxes.empty()) << out.boxes[0].prompt;
    EXPECT_EQ(out.Value("answered"), "true");
    EXPECT_EQ(out.Value("lostEnded"), "true");
}
