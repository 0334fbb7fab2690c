#include "gui/LoginDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>

#include "gui/QtText.h"
#include "startup/frmLogin.h"

namespace {

// The model counts characters (code points); Qt counts UTF-16 units.
int Utf16Index(const QString& text, int characters) {
    int index = 0;
    for (int seen = 0; seen < characters && index < text.size(); ++seen)
        index += text.at(index).isHighSurrogate() && index + 1 < text.size() ? 2 : 1;
    return index;
}

int Characters(const QString& text, int utf16Index) {
    return static_cast<int>(text.left(utf16Index).toUcs4().size());
}

}  // namespace

int LoginDialog::AsteriskStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                          QStyleHintReturn* returnData) const {
    if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

LoginDialog::LoginDialog(frmLogin& model, std::function<void()> activated, QWidget* parent)
    : QDialog(parent), model_(model), activated_(std::move(activated)) {
    setObjectName(QStringLiteral("frmLogin"));
    for (int i = 0; i < 2; ++i) {
        lblLabels_[i].setObjectName(QStringLiteral("lblLabels_%1").arg(i));
        lblLabels_[i].setTextFormat(Qt::PlainText);
    }
    lblNote_.setObjectName(QStringLiteral("lblNote"));
    lblNote_.setTextFormat(Qt::PlainText);
    lblNote_.setWordWrap(true);
    txtUserName_.setObjectName(QStringLiteral("txtUserName"));
    txtPassword_.setObjectName(QStringLiteral("txtPassword"));
    txtPassword_.setEchoMode(QLineEdit::Password);
    txtPassword_.setStyle(&asterisk_);
    chkpwdSave_.setObjectName(QStringLiteral("chkpwdSave"));
    cmdOK_.setObjectName(QStringLiteral("cmdOK"));
    cmdCancel_.setObjectName(QStringLiteral("cmdCancel"));
    // The labels' access keys (&U, &P) move the focus into their boxes.
    lblLabels_[0].setBuddy(&txtUserName_);
    lblLabels_[1].setBuddy(&txtPassword_);

    grid_.addWidget(&lblLabels_[0], 0, 0);
    grid_.addWidget(&txtUserName_, 0, 1);
    grid_.addWidget(&lblLabels_[1], 1, 0);
    grid_.addWidget(&txtPassword_, 1, 1);
    grid_.addWidget(&chkpwdSave_, 1, 2);
    grid_.addWidget(&lblNote_, 2, 0, 1, 3);
    buttons_.addStretch(1);
    buttons_.addWidget(&cmdOK_);
    buttons_.addWidget(&cmdCancel_);
    grid_.addLayout(&buttons_, 3, 0, 1, 3);
    grid_.setColumnMinimumWidth(1, 180);
    setLayout(&grid_);
    setTabOrder(&txtUserName_, &txtPassword_);
    setTabOrder(&txtPassword_, &chkpwdSave_);
    setTabOrder(&chkpwdSave_, &cmdOK_);
    setTabOrder(&cmdOK_, &cmdCancel_);

    Connect();
    model_.SetOnChanged([this] { Refresh(); });
    Refresh();
}

LoginDialog::~LoginDialog() {
    model_.SetOnChanged({});
}

void LoginDialog::Connect() {
    QObject::connect(&txtUserName_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!syncing_) model_.SetUserNameText(FromQ(text));
    });
    QObject::connect(&txtPassword_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (!syncing_) model_.SetPasswordText(FromQ(text));
    });
    QObject::connect(&txtPassword_, &QLineEdit::selectionChanged, this, [this] { ReportPasswordSelection(); });
    QObject::connect(&txtPassword_, &QLineEdit::cursorPositionChanged, this, [this] { ReportPasswordSelection(); });
    QObject::connect(&chkpwdSave_, &QCheckBox::clicked, this, [this] {
        if (!syncing_) model_.ClickCheckBox();
    });
    QObject::connect(&cmdOK_, &QPushButton::clicked, this, [this] {
        if (!syncing_) model_.cmdOK_Click();
    });
    QObject::connect(&cmdCancel_, &QPushButton::clicked, this, [this] {
        if (!syncing_) model_.cmdCancel_Click();
    });
    QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (syncing_ || !now || now->window() != this) return;
        const login::Control control = ControlOf(now);
        if (control == login::Control::None) return;
        shownFocus_ = control;
        model_.SetFocus(control);
    });
}

void LoginDialog::RunModal() {
    model_.Show();
    if (model_.Visible()) exec();
}

void LoginDialog::reject() {
    if (!syncing_) model_.cmdCancel_Click();
}

void LoginDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (model_.Visible()) model_.CloseBox();
}

void LoginDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Being shown makes the dialog the active window; a window system without a window
    // manager may never say so, so the first activation is not left to it.
    Activated();
}

bool LoginDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) Activated();
    return QDialog::event(event);
}

void LoginDialog::Activated() {
    // The model's activation may show message boxes, sign in or end the dialog: it runs
    // from the event loop, not inside the event that reported the activation.
    if (!activated_ || activationPending_) return;
    activationPending_ = true;
    QTimer::singleShot(0, this, [this] {
        activationPending_ = false;
        if (model_.Visible()) activated_();
    });
}

void LoginDialog::ReportPasswordSelection() {
    if (syncing_) return;
    const QString text = txtPassword_.text();
    if (txtPassword_.hasSelectedText()) {
        const int start = txtPassword_.selectionStart();
        model_.SetPasswordSelection(Characters(text, start),
                                    Characters(text, txtPassword_.selectionEnd()) - Characters(text, start));
    } else {
        model_.SetPasswordSelection(Characters(text, txtPassword_.cursorPosition()), 0);
    }
}

QWidget* LoginDialog::WidgetOf(login::Control control) {
    switch (control) {
        case login::Control::txtUserName:
            return &txtUserName_;
        case login::Control::txtPassword:
            return &txtPassword_;
        case login::Control::chkpwdSave:
            return &chkpwdSave_;
        case login::Control::cmdOK:
            return &cmdOK_;
        case login::Control::cmdCancel:
            return &cmdCancel_;
        case login::Control::None:
            break;
    }
    return nullptr;
}

login::Control LoginDialog::ControlOf(const QWidget* widget) const {
    if (widget == &txtUserName_) return login::Control::txtUserName;
    if (widget == &txtPassword_) return login::Control::txtPassword;
    if (widget == &chkpwdSave_) return login::Control::chkpwdSave;
    if (widget == &cmdOK_) return login::Control::cmdOK;
    if (widget == &cmdCancel_) return login::Control::cmdCancel;
    return login::Control::None;
}

void LoginDialog::Refresh() {
    syncing_ = true;
    setWindowTitle(ToQ(model_.Caption()));
    for (int i = 0; i < 2; ++i) lblLabels_[i].setText(ToQ(model_.lblLabels(i).Caption));
    lblNote_.setText(ToQ(model_.lblNote().Caption));
    lblNote_.setVisible(!model_.lblNote().Caption.empty());

    const login::TextBox& user = model_.txtUserName();
    if (txtUserName_.text() != ToQ(user.Text)) txtUserName_.setText(ToQ(user.Text));
    txtUserName_.setEnabled(user.Enabled);

    const login::TextBox& password = model_.txtPassword();
    const QString text = ToQ(password.Text);
    if (txtPassword_.text() != text) txtPassword_.setText(text);
    txtPassword_.setEchoMode(password.PasswordChar.empty() ? QLineEdit::Normal : QLineEdit::Password);
    const int start = Utf16Index(text, password.SelStart);
    const int end = Utf16Index(text, password.SelStart + password.SelLength);
    if (end > start) {
        if (txtPassword_.selectionStart() != start || txtPassword_.selectionEnd() != end)
            txtPassword_.setSelection(start, end - start);
    } else if (txtPassword_.hasSelectedText() || txtPassword_.cursorPosition() != start) {
        txtPassword_.setCursorPosition(start);
    }

    chkpwdSave_.setText(ToQ(model_.chkpwdSave().Caption));
    chkpwdSave_.setChecked(model_.chkpwdSave().Value == 1);
    chkpwdSave_.setEnabled(model_.chkpwdSave().Enabled);
    cmdOK_.setText(ToQ(model_.cmdOK().Caption));
    cmdOK_.setDefault(model_.cmdOK().Default);
    cmdCancel_.setText(ToQ(model_.cmdCancel().Caption));

    // The focus follows the model only when the model moved it: while Qt moves the focus
    // itself, the model hears of it a moment later.
    if (model_.ActiveControl() != shownFocus_) {
        shownFocus_ = model_.ActiveControl();
        if (QWidget* focus = WidgetOf(shownFocus_)) focus->setFocus(Qt::OtherFocusReason);
    }
    syncing_ = false;

    if (!model_.Visible() && isVisible()) done(QDialog::Rejected);
}
