#pragma once
#include <string>

// The state of the login dialog's controls as the window layer shows it. The dialog
// model changes them only through its own operations, so their events fire as they would.
namespace login {

struct Label {
    std::string Caption;
};

struct TextBox {
    std::string Text;
    bool Enabled = true;
    std::string PasswordChar;  // "" shows the text, "*" shows each character as "*"
    // The selection in characters (Unicode code points) from the start of the text.
    int SelStart = 0;
    int SelLength = 0;
};

struct CheckBox {
    std::string Caption;
    int Value = 0;  // 0 unchecked, 1 checked
    bool Enabled = true;
};

struct CommandButton {
    std::string Caption;
    bool Default = false;  // pressed by Enter
    bool Cancel = false;   // pressed by Escape
};

// The controls that can hold the focus, in tab order.
enum class Control { None, txtUserName, txtPassword, chkpwdSave, cmdOK, cmdCancel };

}  // namespace login
