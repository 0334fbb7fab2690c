#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "startup/LoginControls.h"

class cMySQL;
namespace ado {
class Recordset;
}

// The modal sign-in dialog as a model: every control's state and the event handlers by
// their names. On its first activation it runs the machine admission check, which fixes
// the user ID, opens its own session on the in-house database and signs the user in
// (by itself when a password is remembered). Its one output is LoginSucceeded. The
// password is remembered in the desktop's keyring (PasswordKeyring), never in a file;
// where no keyring answers, the dialog says so and the check box stays off.
//
// The window layer shows it (Show), calls Form_Activate when it becomes active, and
// passes the user's input on through the operations below; the dialog hides itself when
// it is done, which ends the modal display. Form_Load runs before the dialog is shown.
class frmLogin {
public:
    frmLogin();
    ~frmLogin();
    frmLogin(const frmLogin&) = delete;
    frmLogin& operator=(const frmLogin&) = delete;

    // --- What the dialog shows --------------------------------------------------------

    const std::string& Caption() const { return caption_; }
    const login::Label& lblLabels(int index) const { return lblLabels_.at(static_cast<std::size_t>(index)); }
    // Empty while the keyring answers; otherwise the note that no password can be remembered.
    const login::Label& lblNote() const { return lblNote_; }
    const login::TextBox& txtUserName() const { return txtUserName_; }
    const login::TextBox& txtPassword() const { return txtPassword_; }
    const login::CheckBox& chkpwdSave() const { return chkpwdSave_; }
    const login::CommandButton& cmdOK() const { return cmdOK_; }
    const login::CommandButton& cmdCancel() const { return cmdCancel_; }
    bool Visible() const { return visible_; }
    login::Control ActiveControl() const { return activeControl_; }

    // Called after any of the above has changed, so the window can show the new state.
    void SetOnChanged(std::function<void()> onChanged) { onChanged_ = std::move(onChanged); }

    // --- Dialog state ------------------------------------------------------------------

    bool LoginSucceeded() const { return LoginSucceeded_; }
    // The session on the in-house database; null before the first activation and after unload.
    const cMySQL* LoginDB() const { return LoginDB_.get(); }
    bool PasswordEdited() const { return PasswordEdited_; }
    bool FirstActivate() const { return FirstActivate_; }

    // --- What the window layer and the user do -------------------------------------------

    // Makes the dialog visible with the focus on the first enabled control.
    void Show();
    void Hide();
    // New text in a box (typed or set); fires the box's change event when it differs.
    void SetUserNameText(const std::string& text);
    void SetPasswordText(const std::string& text);
    // Where the caret and selection of the password box are (characters); the window
    // reports the user's own moves here, so that the state it reads back is its own.
    void SetPasswordSelection(int start, int length);
    // A click on the enabled check box toggles it; setting a different value fires its click event.
    void ClickCheckBox() {
        if (chkpwdSave_.Enabled) SetCheckBoxValue(chkpwdSave_.Value == 1 ? 0 : 1);
    }
    void SetCheckBoxValue(int value);
    // Moves the focus (nothing happens for a disabled control), firing the events of the
    // password box when it loses or gains the focus.
    void SetFocus(login::Control control);
    // The window's close box: the dialog unloads and counts as not signed in.
    void CloseBox();

    // --- Event handlers --------------------------------------------------------------------

    void Form_Load();
    // Acts on the first activation only.
    void Form_Activate();
    void cmdOK_Click();
    void cmdCancel_Click();
    void chkpwdSave_Click();
    void txtPassword_Change();
    void txtPassword_GotFocus();
    void txtPassword_LostFocus();
    void Form_Unload();

private:
    // Runs the sign-in statement: its recordset and affected_rows as the count.
    std::pair<std::shared_ptr<ado::Recordset>, std::int32_t> LoginQuery(const std::string& SQL);
    // Writes a login setting; a store that cannot be written is reported, not fatal.
    void SaveLoginSetting(const char* key, const std::string& value, const char* procedure);
    // The password at load: the keyring's, or one an earlier version left in the settings
    // file, which moves into the keyring and leaves the file either way.
    std::string LoadRememberedPassword();
    // Keeps the password in the keyring ("" forgets it); writes only what it does not hold.
    void RememberPassword(const std::string& password);
    // Where the keyring does not answer: the note, and the check box off and disabled.
    void KeyringUnavailable();
    void SelectAllPassword();
    void SetUserNameEnabled(bool enabled);
    void Changed();

    std::string caption_ = "로그인";
    std::array<login::Label, 2> lblLabels_{login::Label{"아이디(&U):"}, login::Label{"암호(&P):"}};
    login::Label lblNote_;
    login::TextBox txtUserName_;
    login::TextBox txtPassword_{.Text = {}, .Enabled = true, .PasswordChar = "*"};
    login::CheckBox chkpwdSave_{.Caption = "저장", .Value = 0, .Enabled = true};
    login::CommandButton cmdOK_{.Caption = "확인", .Default = true, .Cancel = false};
    login::CommandButton cmdCancel_{.Caption = "취소", .Default = false, .Cancel = true};
    bool visible_ = false;
    login::Control activeControl_ = login::Control::None;
    std::function<void()> onChanged_;

    bool LoginSucceeded_ = false;
    std::unique_ptr<cMySQL> LoginDB_;
    bool PasswordEdited_ = false;
    bool FirstActivate_ = false;
    bool keyringAnswers_ = true;
    std::string remembered_;  // what the keyring holds, as far as this dialog knows
};
