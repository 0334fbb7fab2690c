#pragma once
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <array>
#include <functional>

#include "startup/LoginControls.h"

class frmLogin;

// The login dialog: widgets bound to the frmLogin model. What the user does goes to the
// model's operations; the model's state is shown after each of its changes; when the
// model hides itself the dialog ends its modal display.
class LoginDialog : public QDialog {
public:
    // `activated` runs (outside the event that reports it) each time the dialog becomes
    // the active window, and once after it is first shown; start-up passes the model's
    // Form_Activate.
    explicit LoginDialog(frmLogin& model, std::function<void()> activated = {}, QWidget* parent = nullptr);
    ~LoginDialog() override;
    LoginDialog(const LoginDialog&) = delete;
    LoginDialog& operator=(const LoginDialog&) = delete;

    // Shows the model (frmLogin::Show) and runs the dialog modally until the model hides.
    void RunModal();

    void reject() override;  // Esc: the Cancel button

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Shows every password character as "*", whatever the platform's style draws.
    class AsteriskStyle : public QProxyStyle {
    public:
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* returnData) const override;
    };

    void Connect();
    void Refresh();
    void ReportPasswordSelection();
    void Activated();
    QWidget* WidgetOf(login::Control control);
    login::Control ControlOf(const QWidget* widget) const;

    frmLogin& model_;
    std::function<void()> activated_;

    std::array<QLabel, 2> lblLabels_;
    QLabel lblNote_;
    QLineEdit txtUserName_;
    QLineEdit txtPassword_;
    QCheckBox chkpwdSave_;
    QPushButton cmdOK_;
    QPushButton cmdCancel_;
    AsteriskStyle asterisk_;
    // Outer layout first: the inner one leaves it before it would be deleted by it.
    QGridLayout grid_;
    QHBoxLayout buttons_;

    bool syncing_ = false;
    bool activationPending_ = false;
    login::Control shownFocus_ = login::Control::None;  // the model's focus as last shown
};
