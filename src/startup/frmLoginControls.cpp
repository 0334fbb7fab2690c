// frmLogin: the controls' state and the operations that change it, firing the events the
// window system would fire.
#include <algorithm>

#include "startup/frmLogin.h"

namespace {
int CharacterCount(const std::string& text) {
    // UTF-8: every byte that does not continue a sequence starts a character.
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}
}  // namespace

void frmLogin::Changed() {
    if (onChanged_) onChanged_();
}

void frmLogin::Show() {
    visible_ = true;
    if (activeControl_ == login::Control::None)
        SetFocus(txtUserName_.Enabled ? login::Control::txtUserName : login::Control::txtPassword);
    Changed();
}

void frmLogin::Hide() {
    visible_ = false;
    Changed();
}

void frmLogin::SetUserNameText(const std::string& text) {
    if (txtUserName_.Text == text) return;
    txtUserName_.Text = text;
    txtUserName_.SelStart = CharacterCount(text);
    txtUserName_.SelLength = 0;
    Changed();
}

void frmLogin::SetPasswordText(const std::string& text) {
    if (txtPassword_.Text == text) return;
    txtPassword_.Text = text;
    txtPassword_.SelStart = CharacterCount(text);
    txtPassword_.SelLength = 0;
    txtPassword_Change();
    Changed();
}

void frmLogin::SetPasswordSelection(int start, int length) {
    const int size = CharacterCount(txtPassword_.Text);
    txtPassword_.SelStart = std::clamp(start, 0, size);
    txtPassword_.SelLength = std::clamp(length, 0, size - txtPassword_.SelStart);
    Changed();
}

void frmLogin::SelectAllPassword() {
    SetPasswordSelection(0, CharacterCount(txtPassword_.Text));
}

void frmLogin::SetCheckBoxValue(int value) {
    if (chkpwdSave_.Value == value) return;
    chkpwdSave_.Value = value;
    chkpwdSave_Click();
    Changed();
}

void frmLogin::SetFocus(login::Control control) {
    if (control == activeControl_) return;
    if (control == login::Control::txtUserName && !txtUserName_.Enabled) return;
    const login::Control previous = activeControl_;
    activeControl_ = control;
    if (previous == login::Control::txtPassword) txtPassword_LostFocus();
    if (control == login::Control::txtPassword) txtPassword_GotFocus();
    Changed();
}

void frmLogin::SetUserNameEnabled(bool enabled) {
    txtUserName_.Enabled = enabled;
    // A disabled box cannot keep the focus: it passes to the next control, the password.
    if (!enabled && activeControl_ == login::Control::txtUserName) SetFocus(login::Control::txtPassword);
    Changed();
}

void frmLogin::CloseBox() {
    Form_Unload();
    Hide();
}
