#include "gui/QtStartupUi.h"

#include <QApplication>

#include "gui/LoginDialog.h"
#include "startup/frmLogin.h"

void QtStartupUi::ShowLoginModal(frmLogin& dialog) {
    // Closing the login dialog must not end the program before the conversion window
    // exists: start-up decides that.
    const bool quitOnClose = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    {
        LoginDialog window(dialog, [&dialog] { dialog.Form_Activate(); });
        window.RunModal();
    }
    QApplication::setQuitOnLastWindowClosed(quitOnClose);
}

void QtStartupUi::ShowMainWindow() {
    model_.emplace();
    model_->SetSignedInUser(user_);
    window_.emplace(*model_);
    window_->LoadAndShow();
}
