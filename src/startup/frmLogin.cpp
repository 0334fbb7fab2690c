// frmLogin: the event handlers, sign-in and the remembered password.
#include "startup/frmLogin.h"

#include "common/CentralDBHost.h"
#include "common/CloseIfOpen.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/Settings.h"
#include "common/VbError.h"
#include "datalayer/Recordset.h"
#include "datalayer/Value.h"
#include "mysqlclient/cMySQL.h"
#include "startup/EndProcess.h"
#include "startup/InhouseAccount.h"
#include "startup/PasswordKeyring.h"
#include "startup/modVarokDBConsts.h"

namespace {
// Other programs of the maker read the same settings, so the names stay as they are.
constexpr const char* kSettingsApp = "바록 업무관리";
constexpr const char* kSettingsSection = "Config";
constexpr const char* kIsSavePasswd = "issave_passwd";
// The key under which an earlier version kept the password in clear; in the keyring the
// password keeps the same name, with the settings' application name as its service.
constexpr const char* kPasswd = "passwd";
constexpr const char* kNoKeyringNote = "이 컴퓨터에서는 암호를 저장할 수 없습니다.";

// A typed text up to its first NUL: what follows a NUL takes no part in the sign-in.
std::string BeforeNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

// The check box value a stored text stands for: 1 only for a number that is 1; anything
// else, a damaged value included, leaves the box unchecked.
int CheckBoxValueOf(const std::string& stored) {
    try {
        return ado::Value(stored).ToLong() == 1 ? 1 : 0;
    } catch (const VbError&) {
        return 0;
    }
}
}  // namespace

frmLogin::frmLogin() = default;

// Releases the session if the dialog was never unloaded.
frmLogin::~frmLogin() = default;

void frmLogin::Form_Load() {
    LoginSucceeded_ = false;
    SetPasswordText(LoadRememberedPassword());
    // The click event this fires saves nothing: the dialog is not visible yet.
    if (keyringAnswers_)
        SetCheckBoxValue(CheckBoxValueOf(GetSetting(kSettingsApp, kSettingsSection, kIsSavePasswd, "0")));
    FirstActivate_ = true;
}

std::string frmLogin::LoadRememberedPassword() {
    std::string password = txtPassword_.Text;
    const PasswordKeyring::Secret stored = InstalledPasswordKeyring().Read(kSettingsApp, kPasswd);
    if (stored.answer == PasswordKeyring::Answer::Done) password = remembered_ = stored.text;
    if (stored.answer == PasswordKeyring::Answer::Unavailable) KeyringUnavailable();

    const std::string inClear = GetSetting(kSettingsApp, kSettingsSection, kPasswd);
    if (!inClear.empty()) {
        password = inClear;
        RememberPassword(inClear);
    }
    try {
        DeleteSetting(kSettingsApp, kSettingsSection, kPasswd);
    } catch (const VbError& error) {
        MsgBox(ErrorReportText(error, "Form_Load", ReportOwner::Form, "frmLogin"), mb::kOkOnly);
    }
    return password;
}

void frmLogin::RememberPassword(const std::string& password) {
    if (!keyringAnswers_ || password == remembered_) return;
    PasswordKeyring& keyring = InstalledPasswordKeyring();
    const PasswordKeyring::Answer answer =
        password.empty() ? keyring.Delete(kSettingsApp, kPasswd) : keyring.Write(kSettingsApp, kPasswd, password);
    if (answer == PasswordKeyring::Answer::Done)
        remembered_ = password;
    else
        KeyringUnavailable();
}

void frmLogin::KeyringUnavailable() {
    keyringAnswers_ = false;
    lblNote_.Caption = kNoKeyringNote;
    chkpwdSave_.Enabled = false;
    SetCheckBoxValue(0);
    Changed();
}

void frmLogin::Form_Activate() {
    if (!FirstActivate_) return;
    FirstActivate_ = false;

    const std::string userId = GetAllowMyPC();
    if (userId.empty()) {
        MsgBox("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.", mb::kOkOnly);
        EndProcessAtOnce();
    }
    SetUserNameText(userId);
    SetUserNameEnabled(false);

    LoginDB_ = std::make_unique<cMySQL>(inhouse::kServerName);
    // The connection reports its own failure; the dialog only hides, not signed in.
    if (!LoginDB_->real_connect(CentralDBHost(), inhouse::kUser, inhouse::kPassword, inhouse::kDatabase, inhouse::kPort,
                                "", 0, false)) {
        Hide();
        return;
    }
    // A remembered password signs in at once, whatever the check box says.
    if (!txtUserName_.Text.empty() && !txtPassword_.Text.empty()) cmdOK_Click();
}

std::pair<std::shared_ptr<ado::Recordset>, std::int32_t> frmLogin::LoginQuery(const std::string& SQL) {
    // Without a session (the dialog was never activated) nothing can match.
    if (!LoginDB_) return {nullptr, 0};
    std::shared_ptr<ado::Recordset> rs = LoginDB_->query(SQL);
    return {rs, LoginDB_->affected_rows()};
}

void frmLogin::cmdOK_Click() {
    // The texts are quoted by the session's own rules, whatever the server's sql_mode.
    const std::string sql = LoginDB_
                                ? std::string("SELECT *, now() as svrtime FROM user") +
                                      " where id=" + LoginDB_->Quote(BeforeNul(txtUserName_.Text)) +
                                      " AND password=" + LoginDB_->Quote(BeforeNul(txtPassword_.Text)) + " and hidden=0"
                                : std::string();
    auto [rs, count] = LoginQuery(sql);
    // A failed statement counts -1: a wrong password like no match.
    if (count >= 1) {
        // The password that signed in is the one to remember.
        if (chkpwdSave_.Value == 1) RememberPassword(txtPassword_.Text);
        LoginSucceeded_ = true;
        Hide();
    } else {
        MsgBox("암호가 잘못되었습니다.", mb::kOkOnly, "로그인");
        SetFocus(login::Control::txtPassword);
        SelectAllPassword();
    }
    CloseIfOpen(rs);
}

void frmLogin::cmdCancel_Click() {
    Hide();
}

void frmLogin::chkpwdSave_Click() {
    // Form_Load sets the box before the dialog is shown: that is no click of the user's.
    if (!visible_) return;
    SaveLoginSetting(kIsSavePasswd, std::to_string(chkpwdSave_.Value), "chkpwdSave_Click");
    RememberPassword(chkpwdSave_.Value == 1 ? txtPassword_.Text : std::string());
}

void frmLogin::txtPassword_Change() {
    PasswordEdited_ = true;
}

void frmLogin::txtPassword_GotFocus() {
    PasswordEdited_ = false;
}

void frmLogin::txtPassword_LostFocus() {
    if (chkpwdSave_.Value == 1 && PasswordEdited_) RememberPassword(txtPassword_.Text);
}

void frmLogin::Form_Unload() {
    if (!LoginDB_) return;
    LoginDB_->free_result();
    LoginDB_.reset();  // closes the connection
}

void frmLogin::SaveLoginSetting(const char* key, const std::string& value, const char* procedure) {
    try {
        SaveSetting(kSettingsApp, kSettingsSection, key, value);
    } catch (const VbError& error) {
        // A password that cannot be remembered must not cost the sign-in.
        MsgBox(ErrorReportText(error, procedure, ReportOwner::Form, "frmLogin"), mb::kOkOnly);
    }
}
