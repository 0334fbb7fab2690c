#pragma once
#include <string>

class frmLogin;

// The window system as the start-up sequence uses it. The Qt layer implements it with
// real windows; tests script it.
class StartupUi {
public:
    virtual ~StartupUi() = default;

    // Shows the loaded login dialog modally and returns when it is no longer visible.
    // The window calls dialog.Show(), then dialog.Form_Activate() each time it becomes
    // the active window (the dialog acts on the first time only, and may already have
    // hidden itself by then), passes the user's input to the dialog's operations, and
    // calls dialog.CloseBox() when the user closes the window.
    virtual void ShowLoginModal(frmLogin& dialog) = 0;

    // Who signed in, told before the conversion window is shown (its run records name them).
    virtual void SetSignedInUser(const std::string& /*user*/) {}

    // Creates the conversion window and shows it without an owner and not modally.
    virtual void ShowMainWindow() = 0;
};
