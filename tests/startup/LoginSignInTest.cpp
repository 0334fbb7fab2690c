// The login dialog signing in against the test server's in-house tables, on an admitted
// computer (a veth adapter whose address is registered for the test's user).
#include <gtest/gtest.h>

#include <memory>

#include "InhouseRows.h"
#include "NetworkSandbox.h"
#include "common/Settings.h"
#include "mysqlclient/cMySQL.h"
#include "startup/frmLogin.h"
#include "support/TestEnvironment.h"

using namespace inhousetest;
using namespace std::string_literals;
using login::Control;

namespace {

constexpr const char* kApp = "바록 업무관리";
constexpr const char* kWrongPassword = "암호가 잘못되었습니다.";

using Script = std::function<void(frmLogin&, sandbox::Child&)>;

void Report(const frmLogin& d, sandbox::Child& child) {
    child.Set("signedIn", d.LoginSucceeded());
    child.Set("visible", d.Visible());
    child.Set("userName", d.txtUserName().Text);
    child.Set("userNameEnabled", d.txtUserName().Enabled);
    child.Set("focus", static_cast<int>(d.ActiveControl()));
    child.Set("selection", std::to_string(d.txtPassword().SelStart) + "+" + std::to_string(d.txtPassword().SelLength));
    child.Set("session", d.LoginDB() != nullptr);
}

class SignIn : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sandbox::Available()) GTEST_SKIP() << "network namespaces are not available here";
        env = std::make_unique<testsupport::IsolatedEnvironment>();
        AddUserMac(user, TableForm(mac));
    }

    static void Remember(const std::string& isSave, const std::string& password) {
        SaveSetting(kApp, "Config", "issave_passwd", isSave);
        SaveSetting(kApp, "Config", "passwd", password);
    }

    // Loads, shows and activates the dialog, runs the script, notes the dialog's state,
    // then unloads it and notes whether its session went with it.
    sandbox::Outcome Run(const Script& script = {}, int serverConnections = -1) const {
        return sandbox::RunInSandbox({{{"eth0", mac}}, serverConnections}, [&](sandbox::Child& child) {
            frmLogin d;
            d.Form_Load();
            d.Show();
            d.Form_Activate();
            child.Set("openAfterActivation", child.OpenServerConnections());
            if (script) script(d, child);
            d.Form_Activate();  // later activations do nothing
            Report(d, child);
            d.Form_Unload();
            child.Set("sessionAfterUnload", d.LoginDB() != nullptr);
            child.Set("released", child.WaitForOpenServerConnections(0));
        });
    }

    std::string user = UniqueUserId();
    std::string mac = UniqueMac();
    std::unique_ptr<testsupport::IsolatedEnvironment> env;
};

void ExpectSignedIn(const sandbox::Outcome& out) {
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("signedIn"), "true");
    EXPECT_EQ(out.Value("visible"), "false");
    EXPECT_TRUE(out.boxes.empty()) << out.boxes.front().prompt;
}

// The wrong-password message as the last box, and the dialog waiting with the whole
// password selected.
void ExpectRefused(const sandbox::Outcome& out, const std::string& selection) {
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("signedIn"), "false");
    EXPECT_EQ(out.Value("visible"), "true");
    ASSERT_FALSE(out.boxes.empty());
    EXPECT_EQ(out.boxes.back().prompt, kWrongPassword);
    EXPECT_EQ(out.boxes.back().title, "로그인");
    EXPECT_EQ(out.boxes.back().buttons, 0);
    EXPECT_EQ(out.Value("focus"), std::to_string(static_cast<int>(Control::txtPassword)));
    EXPECT_EQ(out.Value("selection"), selection);
}

Script TypeAndOk(const std::string& password) {
    return [password](frmLogin& d, sandbox::Child&) {
        d.SetFocus(Control::txtPassword);
        d.SetPasswordText(password);
        d.cmdOK_Click();
    };
}

}  // namespace

TEST_F(SignIn, RememberedPasswordSignsInWithoutInput) {
    AddUser(user, "pw");
    Remember("1", "pw");
    auto out = Run();
    ExpectSignedIn(out);
    EXPECT_EQ(out.Value("userName"), user);
    EXPECT_EQ(out.Value("userNameEnabled"), "false");
    // The admission session was gone before the dialog's own one was opened and kept.
    EXPECT_EQ(out.Value("openAfterActivation"), "1");
    EXPECT_EQ(out.Value("session"), "true");
    EXPECT_EQ(out.Value("sessionAfterUnload"), "false");
    EXPECT_EQ(out.Value("released"), "true");
}

TEST_F(SignIn, AnyPasswordInTheBoxSignsInWhateverTheCheckBoxSays) {
    AddUser(user, "pw");
    Remember("0", "pw");
    ExpectSignedIn(Run());
}

TEST_F(SignIn, StaleRememberedPasswordIsRefusedAndSelected) {
    AddUser(user, "new-pw");
    Remember("1", "old");
    auto out = Run();
    ExpectRefused(out, "0+3");
    EXPECT_EQ(out.boxes.size(), 1u);
    // Without a keyring the password left the settings file and is kept nowhere.
    EXPECT_EQ(GetSetting(kApp, "Config", "passwd", "<none>"), "<none>");

    // Typing the right one after the refusal signs in.
    Remember("1", "old");
    out = Run(TypeAndOk("new-pw"));
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, kWrongPassword);
    EXPECT_EQ(out.Value("signedIn"), "true");
    EXPECT_EQ(out.Value("visible"), "false");
    EXPECT_EQ(out.Value("released"), "true");
}

TEST_F(SignIn, WithoutRememberedPasswordTheDialogWaits) {
    AddUser(user, "pw");
    auto out = Run();
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(out.Value("signedIn"), "false");
    EXPECT_EQ(out.Value("visible"), "true");
    EXPECT_EQ(out.Value("userName"), user);
    // The user box lost the focus when it was disabled.
    EXPECT_EQ(out.Value("focus"), std::to_string(static_cast<int>(Control::txtPassword)));
    ExpectSignedIn(Run(TypeAndOk("pw")));
}

TEST_F(SignIn, QuotesAndBackslashesAreMatchedLiterally) {
    // Both boxes are escaped: the user ID comes from the admission row.
    const std::string odd = user.substr(0, 20) + "'\\x";
    AddUserMac(odd, TableForm(UniqueMac("odd")));
    AddUser(odd, "a'b\\c");
    auto out = sandbox::RunInSandbox({{{"eth0", UniqueMac("odd")}}, -1}, [](sandbox::Child& child) {
        frmLogin d;
        d.Form_Load();
        d.Show();
        d.Form_Activate();
        TypeAndOk("a'b\\c")(d, child);
        Report(d, child);
    });
    ExpectSignedIn(out);
    EXPECT_EQ(out.Value("userName"), odd);
}

TEST_F(SignIn, TextAfterNulTakesNoPart) {
    AddUser(user, "pw");
    ExpectSignedIn(Run(TypeAndOk("pw\0anything"s)));
}

TEST_F(SignIn, HiddenUserIsRefused) {
    AddUser(user, "pw", 1);
    ExpectRefused(Run(TypeAndOk("pw")), "0+2");
}

TEST_F(SignIn, QuotesInThePasswordCannotWidenTheQuery) {
    AddUser(user, "pw");
    const std::vector<std::string> attempts{"' OR '1'='1", "x' OR 1=1 -- ", "\\' OR 1=1 #", "' OR ''='"};
    auto out = Run([&](frmLogin& d, sandbox::Child& child) {
        for (const auto& attempt : attempts) TypeAndOk(attempt)(d, child);
    });
    ExpectRefused(out, "0+9");
    EXPECT_EQ(out.boxes.size(), attempts.size());
}

TEST_F(SignIn, AFailingQueryCountsAsAWrongPassword) {
    AddUser(user, "pw");
    // The relay lets the admission check and the dialog's session through, then nothing:
    // after the cut the reconnect inside query fails.
    auto out = Run(
        [](frmLogin& d, sandbox::Child& child) {
            child.DropServerConnections();
            TypeAndOk("pw")(d, child);
        },
        2);
    ExpectRefused(out, "0+2");
    ASSERT_GE(out.boxes.size(), 2u);
    EXPECT_EQ(out.boxes.front().prompt.rfind("Error 2002 ", 0), 0u) << out.boxes.front().prompt;
}

TEST_F(SignIn, FailedConnectionHidesTheDialogWithoutFurtherMessage) {
    AddUser(user, "pw");
    Remember("1", "pw");
    auto out = Run({}, 1);  // only the admission check gets through
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("signedIn"), "false");
    EXPECT_EQ(out.Value("visible"), "false");
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt.rfind("Error 2002 Can't connect to server on '127.0.0.1'", 0), 0u)
        << out.boxes[0].prompt;
    EXPECT_EQ(out.Value("released"), "true");
}

TEST_F(SignIn, ClosingTheDialogReleasesItsSessionAndSignsNobodyIn) {
    AddUser(user, "pw");
    auto out = Run([](frmLogin& d, sandbox::Child& child) {
        child.Set("openBeforeClose", child.OpenServerConnections());
        d.CloseBox();
        child.Set("releasedByClose", child.WaitForOpenServerConnections(0));
    });
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.Value("openBeforeClose"), "1");
    EXPECT_EQ(out.Value("releasedByClose"), "true");
    EXPECT_EQ(out.Value("signedIn"), "false");
    EXPECT_EQ(out.Value("visible"), "false");
}

TEST_F(SignIn, AnUnregisteredComputerEndsTheProgram) {
    AddUser(user, "pw");
    Remember("1", "pw");
    auto out = sandbox::RunInSandbox({{{"eth0", UniqueMac("unregistered")}}, -1}, [](sandbox::Child& child) {
        frmLogin d;
        d.Form_Load();
        d.Show();
        d.Form_Activate();
        child.Note("still running");
    });
    EXPECT_FALSE(out.bodyReturned);
    EXPECT_TRUE(out.failure.empty()) << out.failure;
    EXPECT_TRUE(out.notes.empty());
    EXPECT_TRUE(out.exitedNormally);
    EXPECT_EQ(out.exitCode, 0);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, "허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.");
    EXPECT_EQ(out.boxes[0].buttons, 0);
    EXPECT_EQ(out.boxes[0].title, "누리Tarn_To_누리Velm");
}
