#include <gtest/gtest.h>

#include "FormStub.h"
#include "common/VbError.h"
#include "connection/CustomerLocator.h"
#include "support/EmptyNetwork.h"
#include "support/RaisedBy.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestServer.h"

using namespace testsupport;

namespace {
// A customer registered on the central database under the window's naming.
struct Registered {
    std::string id = UniqueName("c");
    std::string database = "maketarn_" + id;
    Registered(const std::string& host = kCustomerHostA) { RegisterCustomer(id, database, host); }
    ~Registered() { AdminSql("DELETE FROM app_admin.app_priv WHERE app_dbname = " + SqlQuote(database)); }
};

FormState FormFor(const std::string& id, const std::string& database) {
    FormState form;
    form.ids[0] = id;
    form.names[0] = database;
    return form;
}
}  // namespace

TEST(CustomerLocator, EmptyNameWritesTwoLinesAndContactsNoServer) {
    ScriptedMsgBox boxes;
    FormState form;
    form.ids[1] = "   ";
    CustomerLocator locator;
    EXPECT_EQ(locator.LocateCustomerDB(form, 1), "");
    EXPECT_EQ(form.log, (std::vector<std::string>{"DB IP 검색중...(    / )", "Tarn ID를 입력해주세요."}));
    EXPECT_EQ(locator.AdminDB(), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(CustomerLocator, FoundRowGivesItsAddressAndReleasesTheSession) {
    ScriptedMsgBox boxes;
    Registered customer(kCustomerHostB);
    FormState form = FormFor(customer.id, customer.database);
    CustomerLocator locator;
    EXPECT_EQ(locator.LocateCustomerDB(form, 0), kCustomerHostB);
    EXPECT_EQ(form.log, (std::vector<std::string>{"DB IP 검색중...(" + customer.id + " / " + customer.database + ")"}));
    EXPECT_EQ(locator.AdminDB(), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(CustomerLocator, MissingRowAndEmptyAddressGiveNothing) {
    ScriptedMsgBox boxes;
    FormState form = FormFor("nobody", "maketarn_" + UniqueName("nobody"));
    CustomerLocator locator;
    EXPECT_EQ(locator.LocateCustomerDB(form, 0), "");
    ASSERT_EQ(form.log.size(), 2u);
    EXPECT_EQ(form.log[1], "해당 DB는 존재하지 않습니다.");
    EXPECT_EQ(locator.AdminDB(), nullptr);

    Registered customer("");
    FormState blank = FormFor(customer.id, customer.database);
    EXPECT_EQ(locator.LocateCustomerDB(blank, 0), "");
    EXPECT_EQ(blank.log.size(), 1u);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(CustomerLocator, IdDifferingOnlyInCaseIsRejectedInLogAndBox) {
    ScriptedMsgBox boxes;
    Registered customer;
    std::string upper = customer.id;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_NE(upper, customer.id);
    FormState form = FormFor(upper, customer.database);
    CustomerLocator locator;
    EXPECT_EQ(locator.LocateCustomerDB(form, 0), "");
    ASSERT_EQ(form.log.size(), 2u);
    EXPECT_EQ(form.log[1], "입력된 ID와 Tarn관리테이블의 ID가 일치하지 않습니다.");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt, "입력된 ID와 Tarn관리테이블의 ID가 일치하지 않습니다.");
    EXPECT_EQ(boxes.Boxes()[0].buttons, 0);
}

TEST(CustomerLocator, QuotesInTheIdCannotChangeTheQuery) {
    ScriptedMsgBox boxes;
    const std::string quoted = "a'b" + UniqueName("");
    RegisterCustomer(quoted, "maketarn_" + quoted, kCustomerHostA);
    CustomerLocator locator;
    FormState form = FormFor(quoted, "maketarn_" + quoted);
    EXPECT_EQ(locator.LocateCustomerDB(form, 0), kCustomerHostA);

    // Would match every row if the text went into the SQL as it stands.
    Registered other;
    const std::string injected = "x' OR '1'='1";
    FormState attack = FormFor(injected, "maketarn_" + injected);
    EXPECT_EQ(locator.LocateCustomerDB(attack, 0), "");
    EXPECT_EQ(attack.log.back(), "해당 DB는 존재하지 않습니다.");
    EXPECT_TRUE(boxes.Boxes().empty());
    AdminSql("DELETE FROM app_admin.app_priv WHERE user_id = " + SqlQuote(quoted));
}

TEST(CustomerLocator, UnreachableCentralServerShowsTheConnectReportOnly) {
    std::string message;
    const bool ok = RunWithoutNetwork(
        [](std::string& why) {
            ScriptedMsgBox boxes;
            FormState form = FormFor("abc", "maketarn_abc");
            CustomerLocator locator;
            const std::string host = locator.LocateCustomerDB(form, 0);
            if (!host.empty()) why += "address returned; ";
            if (form.log.size() != 1) why += "log has " + std::to_string(form.log.size()) + " lines; ";
            if (boxes.Boxes().size() != 1 ||
                boxes.Boxes()[0].prompt.find("인터넷이 연결되어 있는지") == std::string::npos)
                why += "expected one connect report with the advice; ";
            return why.empty();
        },
        message);
    EXPECT_TRUE(ok) << message;
}

TEST(CustomerLocator, RejectedQueryRaisesObjectNotSet) {
    ScriptedMsgBox boxes;
    CustomerLocator locator;
    FormState form;
    ASSERT_TRUE(locator.DBConnect(form, kCentralHost, "root", kRootPassword, "app_admin"));
    std::shared_ptr<ado::Recordset> rs;
    const VbError e = testsupport::RaisedBy([&] { locator.DBQuery(rs, "SELECT nonsense FROM nowhere_at_all"); });
    EXPECT_EQ(e.number(), 91);
    EXPECT_EQ(e.description(), "Object variable or With block variable not set");
    EXPECT_EQ(rs, nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);  // cMySQL's own report of the rejected statement
    EXPECT_EQ(boxes.Boxes()[0].prompt.rfind("Error 1146 (", 0), 0u) << boxes.Boxes()[0].prompt;
    locator.DBClose();
    EXPECT_EQ(locator.AdminDB(), nullptr);
}
