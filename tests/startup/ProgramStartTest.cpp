// The entry sequence with a scripted window system: one instance, the update step, the
// modal login and the conversion window, on an admitted computer.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

#include "InhouseRows.h"
#include "NetworkSandbox.h"
#include "autoupdate/UpdateMessages.h"
#include "autoupdate/UpdateSite.h"
#include "autoupdate/modAutoUpdateV1_Launcher.h"
#include "common/Settings.h"
#include "platform/SingleInstanceLock.h"
#include "startup/ProgramStart.h"
#include "startup/StartupUi.h"
#include "startup/frmLogin.h"
#include "support/QtKeyringInstalled.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using namespace inhousetest;

namespace {

// Plays the user at the login dialog and notes what the sequence asks of the windows.
class ScriptedUi : public StartupUi {
public:
    using Script = std::function<void(frmLogin&)>;
    ScriptedUi(sandbox::Child& child, Script script) : child_(child), script_(std::move(script)) {}

    void ShowLoginModal(frmLogin& dialog) override {
        child_.Note("login shown");
        dialog.Show();
        dialog.Form_Activate();
        if (dialog.Visible() && script_) script_(dialog);
        // A modal dialog that is still open here would wait for the user forever.
        if (dialog.Visible()) {
            child_.Note("login left open");
            dialog.CloseBox();
        }
    }

    void ShowMainWindow() override {
        child_.Note("main window");
        child_.Set("releasedAtMainWindow", child_.WaitForOpenServerConnections(0));
    }

private:
    sandbox::Child& child_;
    Script script_;
};

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sandbox::Available()) GTEST_SKIP() << "network namespaces are not available here";
        env = std::make_unique<testsupport::IsolatedEnvironment>();
        ::setenv("XDG_RUNTIME_DIR", env->dir().path().c_str(), 1);
        AddUserMac(user, TableForm(mac));
        AddUser(user, "pw");
    }
    void TearDown() override { ::unsetenv("XDG_RUNTIME_DIR"); }

    static void RememberPassword() {
        SaveSetting("바록 업무관리", "Config", "issave_passwd", "1");
        SaveSetting("바록 업무관리", "Config", "passwd", "pw");
    }

    // Runs the whole sequence in a child; `update` answers the update step.
    sandbox::Outcome Start(const ScriptedUi::Script& script, bool update = true, int serverConnections = -1) const {
        return StartWith(script, serverConnections, [update](sandbox::Child& child) {
            return StartupSteps{[&child, update] {
                child.Note("update");
                child.Set("openAtUpdate", child.AcceptedServerConnections());
                return update;
            }};
        });
    }

    sandbox::Outcome StartWith(ScriptedUi::Script script, int serverConnections,
                               const std::function<StartupSteps(sandbox::Child&)>& steps) const {
        return sandbox::RunInSandbox({{{"eth0", mac}}, serverConnections}, [&](sandbox::Child& child) {
            inChild = &child;
            std::optional<testsupport::QtKeyringInstalled> keyring;
            if (withKeyring) keyring.emplace();
            ScriptedUi ui(child, script);
            platform::SingleInstanceLock lock = StartProgram(ui, steps(child));
            child.Note("returned");
            child.Set("lockHeld", lock.Held());
            child.Set("secondInstance", platform::SingleInstanceLock::Acquire(kInstanceLockName).outcome() ==
                                            platform::SingleInstanceLock::Outcome::AlreadyRunning);
        });
    }

    std::string Settings() const { return testsupport::EverythingUnder(env->ConfigHome()); }

    std::string user = UniqueUserId();
    std::string mac = UniqueMac();
    std::unique_ptr<testsupport::IsolatedEnvironment> env;
    bool withKeyring = false;                   // the program's keyring installed in the started program
    mutable sandbox::Child* inChild = nullptr;  // for scripts, inside the started program
};

using Notes = std::vector<std::string>;

void ExpectEndedAtOnce(const sandbox::Outcome& out) {
    EXPECT_FALSE(out.bodyReturned);
    EXPECT_TRUE(out.failure.empty()) << out.failure;
    EXPECT_TRUE(out.exitedNormally);
    EXPECT_EQ(out.exitCode, 0);
}

}  // namespace

TEST_F(ProgramStart, SignedInUserGetsTheConversionWindow) {
    RememberPassword();
    auto out = Start({});
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.notes, (Notes{"update", "login shown", "main window", "returned"}));
    EXPECT_TRUE(out.boxes.empty());
    // The update ran before any database access; the dialog's session was released
    // before the window opened; the instance lock stays with the caller.
    EXPECT_EQ(out.Value("openAtUpdate"), "0");
    EXPECT_EQ(out.Value("releasedAtMainWindow"), "true");
    EXPECT_EQ(out.Value("lockHeld"), "true");
    EXPECT_EQ(out.Value("secondInstance"), "true");
}

TEST_F(ProgramStart, TypedPasswordSignsIn) {
    auto out = Start([](frmLogin& d) {
        d.SetPasswordText("pw");
        d.cmdOK_Click();
    });
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.notes, (Notes{"update", "login shown", "main window", "returned"}));
}

TEST_F(ProgramStart, SecondInstanceIsToldAndEndsBeforeTheUpdate) {
    RememberPassword();
    // The first instance: the lock held by this test process.
    auto first = platform::SingleInstanceLock::Acquire(kInstanceLockName);
    ASSERT_EQ(first.outcome(), platform::SingleInstanceLock::Outcome::Acquired);
    auto out = Start({});
    ExpectEndedAtOnce(out);
    EXPECT_TRUE(out.notes.empty()) << out.notes.front();
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, "이미 프로그램이 실행중입니다.");
    EXPECT_EQ(out.boxes[0].buttons, 64);
    EXPECT_EQ(out.boxes[0].title, "누리Tarn_To_누리Velm");
}

TEST_F(ProgramStart, CancelledLoginEndsWithoutMessage) {
    auto out = Start([](frmLogin& d) { d.cmdCancel_Click(); });
    ExpectEndedAtOnce(out);
    EXPECT_EQ(out.notes, (Notes{"update", "login shown"}));
    EXPECT_TRUE(out.boxes.empty());
}

TEST_F(ProgramStart, ClosedLoginEndsWithoutMessage) {
    auto out = Start([](frmLogin& d) { d.CloseBox(); });
    ExpectEndedAtOnce(out);
    EXPECT_EQ(out.notes, (Notes{"update", "login shown"}));
    EXPECT_TRUE(out.boxes.empty());
}

TEST_F(ProgramStart, FailedConnectionEndsAfterItsOwnReport) {
    RememberPassword();
    auto out = Start({}, true, 1);  // the admission check gets through, the dialog does not
    ExpectEndedAtOnce(out);
    EXPECT_EQ(out.notes, (Notes{"update", "login shown"}));
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt.rfind("Error 2002 ", 0), 0u) << out.boxes[0].prompt;
}

TEST_F(ProgramStart, PendingUpdateEndsBeforeTheLogin) {
    RememberPassword();
    auto out = Start({}, false);
    ExpectEndedAtOnce(out);
    EXPECT_EQ(out.notes, (Notes{"update"}));
    EXPECT_TRUE(out.boxes.empty());
}

TEST_F(ProgramStart, PendingReplacementFoundByTheLauncherEndsBeforeTheLogin) {
    RememberPassword();
    // A program folder whose checker leaves a newer program behind; the launcher says so,
    // starts the replacer with it, and the program must end.
    const std::string app = env->dir() / "app";
    std::filesystem::create_directories(app);
    testsupport::CopyWithVersion("/bin/true", app + "/Prog", "1.0.0.1");
    testsupport::CopyWithVersion("/bin/true", app + "/Newer", "1.0.0.2", "Prog");
    testsupport::WriteScript(app + "/UpdProbeV1.exe",
                             "mv \"$(dirname \"$0\")/Newer\" \"$(dirname \"$0\")/New_Prog\"\n");
    testsupport::WriteScript(app + "/swapkit.exe", "echo \"$1\" > \"$(dirname \"$0\")/swapkit.log\"\n");
    const UpdateSite site{app, "Prog", "1", "http://127.0.0.1:1/download/"};
    auto out = StartWith({}, -1, [&site](sandbox::Child&) {
        // The tools are taken as they are: refreshing them is the launcher's own affair.
        return StartupSteps{[&site] { return RunAutoUpdate(true, site) == UpdateOutcome::Continue; }};
    });
    ExpectEndedAtOnce(out);
    EXPECT_TRUE(out.notes.empty()) << out.notes.front();
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, update::HandOverMessage());
    // The replacer was started (it is not waited for).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!std::filesystem::exists(app + "/swapkit.log") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(testsupport::ReadFile(app + "/swapkit.log"), "Prog;New_Prog\n");
}

TEST_F(ProgramStart, TheProgramsOwnStepsRunTheUpdateLauncherFirst) {
    RememberPassword();
    // No download server answers inside the test's network: the launcher says it cannot
    // read the checker's latest version, and the start goes on.
    auto out = StartWith({}, -1, [](sandbox::Child&) { return DefaultStartupSteps(); });
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.notes, (Notes{"login shown", "main window", "returned"}));
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, "UpdProbeV1.exe의 최신버전 정보를 읽어올 수 없습니다!");
    EXPECT_EQ(out.boxes[0].buttons, 16);
}

TEST_F(ProgramStart, TheRememberedPasswordLivesInTheDesktopsKeyring) {
    testsupport::SecretService secrets;
    withKeyring = true;
    const std::string password = "기억할 암호'7";
    AddUser(user, password);
    const auto remembered = [&] { return secrets.Lookup("바록 업무관리", "passwd"); };
    const Notes signedIn{"update", "login shown", "main window", "returned"};
    // An earlier version's password, in clear in the settings file.
    SaveSetting("바록 업무관리", "Config", "issave_passwd", "1");
    SaveSetting("바록 업무관리", "Config", "passwd", password);

    auto out = Start({});
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.notes, signedIn);
    EXPECT_EQ(remembered(), password);
    EXPECT_EQ(Settings().find("암호"), std::string::npos) << Settings();

    // The next start signs in with the keyring's password.
    out = Start({});
    EXPECT_EQ(out.notes, signedIn);

    // Its password changed elsewhere, the user is refused and unticks the box: gone from
    // the keyring, and the next start waits for the password.
    AddUser(user, "다른 암호");
    out = Start([](frmLogin& d) {
        d.ClickCheckBox();
        d.cmdCancel_Click();
    });
    ExpectEndedAtOnce(out);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, "암호가 잘못되었습니다.");
    EXPECT_EQ(remembered(), std::nullopt);
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "issave_passwd"), "0");

    // Ticked before the password is typed: the sign-in remembers it.
    AddUser(user, password);
    out = Start([&password](frmLogin& d) {
        d.ClickCheckBox();
        d.SetFocus(login::Control::txtPassword);
        d.SetPasswordText(password);
        d.cmdOK_Click();
    });
    EXPECT_EQ(out.notes, signedIn);
    EXPECT_TRUE(out.boxes.empty());
    EXPECT_EQ(remembered(), password);
    out = Start({});
    EXPECT_EQ(out.notes, signedIn);
    EXPECT_EQ(Settings().find("암호"), std::string::npos) << Settings();
}

TEST_F(ProgramStart, WithoutAKeyringTheDialogSaysSoAndNoPasswordIsKept) {
    testsupport::NoSessionBus noKeyring;
    withKeyring = true;
    const std::string password = "새 암호";
    AddUser(user, password);
    SaveSetting("바록 업무관리", "Config", "issave_passwd", "1");
    SaveSetting("바록 업무관리", "Config", "passwd", "옛 암호");  // no longer the user's

    auto out = Start([&](frmLogin& d) {
        inChild->Set("note", d.lblNote().Caption);
        inChild->Set("boxEnabled", d.chkpwdSave().Enabled);
        d.ClickCheckBox();
        inChild->Set("ticked", d.chkpwdSave().Value);
        d.SetFocus(login::Control::txtPassword);
        d.SetPasswordText(password);
        d.SetFocus(login::Control::cmdOK);
        d.cmdOK_Click();
    });
    ASSERT_TRUE(out.bodyReturned) << out.failure;
    EXPECT_EQ(out.notes, (Notes{"update", "login shown", "main window", "returned"}));
    EXPECT_EQ(out.Value("note"), "이 컴퓨터에서는 암호를 저장할 수 없습니다.");
    EXPECT_EQ(out.Value("boxEnabled"), "false");
    EXPECT_EQ(out.Value("ticked"), "0");
    // The old password was tried once (and refused); neither is left anywhere.
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0].prompt, "암호가 잘못되었습니다.");
    EXPECT_EQ(Settings().find("암호"), std::string::npos) << Settings();
}
