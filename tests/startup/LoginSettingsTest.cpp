// The login dialog without a database: its controls, loading the remembered values and
// the rules for writing them: the password in a Secret Service of the test's own, never
// in the settings file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "common/MsgBox.h"
#include "common/Settings.h"
#include "startup/PasswordKeyring.h"
#include "startup/frmLogin.h"
#include "support/QtKeyringInstalled.h"
#include "support/ScriptedMsgBox.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"

using login::Control;

namespace {
constexpr const char* kApp = "바록 업무관리";

std::string Stored(const std::string& key) {
    return GetSetting(kApp, "Config", key, "<none>");
}
void Store(const std::string& key, const std::string& value) {
    SaveSetting(kApp, "Config", key, value);
}

// The test's own settings folder and keyring, with the program's keyring installed.
struct Desktop {
    std::optional<std::string> Remembered() const { return secrets.Lookup(kApp, "passwd"); }
    testsupport::IsolatedEnvironment env;
    testsupport::SecretService secrets;
    testsupport::QtKeyringInstalled keyring;
};

struct FileStamp {
    std::string content;
    ino_t inode = 0;
    struct timespec modified {};
    bool operator==(const FileStamp& o) const {
        return content == o.content && inode == o.inode && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

FileStamp Stamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {testsupport::ReadFile(path), st.st_ino, st.st_mtim};
}

// A loaded and visible dialog (not yet activated: activation needs the in-house database).
struct ShownDialog {
    ShownDialog() {
        dialog.Form_Load();
        dialog.Show();
    }
    frmLogin dialog;
};
}  // namespace

TEST(LoginDialog, ControlsCarryTheirCaptions) {
    frmLogin d;
    EXPECT_EQ(d.Caption(), "로그인");
    EXPECT_EQ(d.lblLabels(0).Caption, "아이디(&U):");
    EXPECT_EQ(d.lblLabels(1).Caption, "암호(&P):");
    EXPECT_EQ(d.txtPassword().PasswordChar, "*");
    EXPECT_EQ(d.txtUserName().PasswordChar, "");
    EXPECT_EQ(d.chkpwdSave().Caption, "저장");
    EXPECT_EQ(d.cmdOK().Caption, "확인");
    EXPECT_EQ(d.cmdCancel().Caption, "취소");
    EXPECT_FALSE(d.Visible());
}

TEST(LoginDialog, LoadShowsTheRememberedValuesAndWritesNothing) {
    Desktop desktop;
    const std::string file = SettingsFilePath(kApp);
    {
        frmLogin d;
        d.Form_Load();
        EXPECT_FALSE(std::filesystem::exists(file)) << "loading created the settings file";
        EXPECT_EQ(d.txtPassword().Text, "");
        EXPECT_EQ(d.chkpwdSave().Value, 0);
        EXPECT_TRUE(d.FirstActivate());
        EXPECT_FALSE(d.LoginSucceeded());
    }
    Store("issave_passwd", "1");
    ASSERT_EQ(InstalledPasswordKeyring().Write(kApp, "passwd", "비밀'pw"), PasswordKeyring::Answer::Done);
    const FileStamp before = Stamp(file);
    {
        frmLogin d;
        d.Form_Load();
        EXPECT_EQ(d.txtPassword().Text, "비밀'pw");
        EXPECT_EQ(d.chkpwdSave().Value, 1);
        EXPECT_TRUE(d.chkpwdSave().Enabled);
        EXPECT_EQ(d.lblNote().Caption, "");
        EXPECT_FALSE(d.Visible());
    }
    EXPECT_TRUE(Stamp(file) == before) << "loading rewrote the settings file";

    // A damaged or unusual check-box value leaves the box unchecked.
    for (const char* value : {"abc", "2", "", "-1"}) {
        Store("issave_passwd", value);
        frmLogin d;
        d.Form_Load();
        EXPECT_EQ(d.chkpwdSave().Value, 0) << value;
    }
}

TEST(LoginDialog, CheckBoxWritesAtOnce) {
    Desktop desktop;
    ShownDialog shown;
    frmLogin& d = shown.dialog;
    d.SetFocus(Control::txtPassword);
    d.SetPasswordText("pw1-기억");
    d.SetFocus(Control::chkpwdSave);
    // Leaving the box while unchecked saved nothing.
    EXPECT_EQ(desktop.Remembered(), std::nullopt);

    d.ClickCheckBox();
    EXPECT_EQ(d.chkpwdSave().Value, 1);
    EXPECT_EQ(Stored("issave_passwd"), "1");
    EXPECT_EQ(desktop.Remembered(), "pw1-기억");
    EXPECT_EQ(testsupport::EverythingUnder(desktop.env.ConfigHome()).find("pw1"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(SettingsFilePath(kApp)).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    d.ClickCheckBox();
    EXPECT_EQ(d.chkpwdSave().Value, 0);
    EXPECT_EQ(Stored("issave_passwd"), "0");
    EXPECT_EQ(desktop.Remembered(), std::nullopt);
    EXPECT_EQ(Stored("passwd"), "<none>");
}

TEST(LoginDialog, LeavingTheEditedPasswordSavesItOnlyWhenChecked) {
    Desktop desktop;
    Store("issave_passwd", "1");
    ASSERT_EQ(InstalledPasswordKeyring().Write(kApp, "passwd", "old"), PasswordKeyring::Answer::Done);
    ShownDialog shown;
    frmLogin& d = shown.dialog;

    // Passing through the box without editing saves nothing.
    d.SetFocus(Control::txtPassword);
    EXPECT_FALSE(d.PasswordEdited());
    d.SetFocus(Control::cmdOK);
    EXPECT_EQ(desktop.Remembered(), "old");
    ASSERT_EQ(InstalledPasswordKeyring().Write(kApp, "passwd", "changed elsewhere"), PasswordKeyring::Answer::Done);
    d.SetFocus(Control::txtPassword);
    d.SetFocus(Control::cmdCancel);
    EXPECT_EQ(desktop.Remembered(), "changed elsewhere");

    // Edited and left while checked: saved.
    d.SetFocus(Control::txtPassword);
    d.SetPasswordText("new");
    EXPECT_TRUE(d.PasswordEdited());
    d.SetFocus(Control::chkpwdSave);
    EXPECT_EQ(desktop.Remembered(), "new");

    // Unchecked (which forgets the password): editing and leaving saves nothing.
    d.ClickCheckBox();
    EXPECT_EQ(desktop.Remembered(), std::nullopt);
    d.SetFocus(Control::txtPassword);
    d.SetPasswordText("newer");
    d.SetFocus(Control::cmdOK);
    EXPECT_EQ(desktop.Remembered(), std::nullopt);
    EXPECT_EQ(Stored("issave_passwd"), "0");
}

TEST(LoginDialog, UnwritableSettingsAreReportedAndTheDialogGoesOn) {
    Desktop desktop;
    testsupport::ScriptedMsgBox boxes;
    ShownDialog shown;
    frmLogin& d = shown.dialog;
    d.SetPasswordText("pw");
    // A settings folder below a plain file cannot be made, not even by root.
    testsupport::WriteFile(desktop.env.dir() / "plain", "");
    ::setenv("XDG_CONFIG_HOME", (desktop.env.dir() / "plain/config").c_str(), 1);
    d.ClickCheckBox();
    EXPECT_EQ(d.chkpwdSave().Value, 1);
    EXPECT_EQ(desktop.Remembered(), "pw");  // the keyring took the password all the same
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].prompt.rfind("Error 75 (Path/File access error", 0), 0u) << boxes.Boxes()[0].prompt;
    EXPECT_TRUE(boxes.Boxes()[0].prompt.ends_with(") in procedure chkpwdSave_Click of Form frmLogin"))
        << boxes.Boxes()[0].prompt;
    EXPECT_EQ(boxes.Boxes()[0].buttons, mb::kOkOnly);
    EXPECT_TRUE(d.Visible());
}

TEST(LoginDialog, CancelAndCloseBoxLeaveTheUserSignedOut) {
    testsupport::IsolatedEnvironment env;
    {
        ShownDialog shown;
        EXPECT_TRUE(shown.dialog.Visible());
        shown.dialog.cmdCancel_Click();
        EXPECT_FALSE(shown.dialog.Visible());
        EXPECT_FALSE(shown.dialog.LoginSucceeded());
    }
    ShownDialog shown;
    shown.dialog.CloseBox();
    EXPECT_FALSE(shown.dialog.Visible());
    EXPECT_FALSE(shown.dialog.LoginSucceeded());
}
