// The login dialog over its model: captions, the masked password, access keys, and the
// focus and selection after a wrong password. The dialog here is never activated against
// the in-house database (that needs an admitted computer: the end-to-end test does it),
// so a sign-in finds no session and counts as a wrong password.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <optional>

#include "GuiTestSupport.h"
#include "common/Settings.h"
#include "gui/LoginDialog.h"
#include "gui/MessageBoxes.h"
#include "startup/frmLogin.h"
#include "support/QtKeyringInstalled.h"
#include "support/SecretService.h"
#include "support/TestEnvironment.h"

namespace {

constexpr const char* kLoginApp = "바록 업무관리";

class LoginDialogTest : public ::testing::Test {
protected:
    LoginDialogTest() : previous_(SetMsgBoxHandler(QtMsgBoxHandler())) {}
    ~LoginDialogTest() override {
        dialog.reset();
        SetMsgBoxHandler(previous_);
    }

    void Load(std::function<void()> activated = {}) {
        model.Form_Load();
        dialog.emplace(model, std::move(activated));
    }

    // Runs the dialog modally; `script` runs inside its modal loop, as the user would act.
    void RunModal(std::function<void()> script) {
        QTimer::singleShot(50, &*dialog, [this, script = std::move(script)] {
            QApplication::setActiveWindow(&*dialog);
            script();
            scriptDone = true;
        });
        dialog->RunModal();
    }

    template <class Widget>
    Widget& Get(const char* name) {
        auto* widget = dialog->findChild<Widget*>(QString::fromLatin1(name));
        if (!widget) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }

    testsupport::IsolatedEnvironment env;
    testsupport::SecretService secrets;
    testsupport::QtKeyringInstalled keyring;
    guitest::MessageBoxAnswerer answerer;
    frmLogin model;
    std::optional<LoginDialog> dialog;
    bool scriptDone = false;

private:
    MsgBoxHandler previous_;
};

TEST_F(LoginDialogTest, CaptionsAndMaskedPassword) {
    Load();
    model.Show();
    dialog->show();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("로그인"));
    EXPECT_EQ(Get<QLabel>("lblLabels_0").text(), QStringLiteral("아이디(&U):"));
    EXPECT_EQ(Get<QLabel>("lblLabels_1").text(), QStringLiteral("암호(&P):"));
    EXPECT_EQ(Get<QCheckBox>("chkpwdSave").text(), QStringLiteral("저장"));
    EXPECT_FALSE(Get<QCheckBox>("chkpwdSave").isChecked());
    EXPECT_EQ(Get<QPushButton>("cmdOK").text(), QStringLiteral("확인"));
    EXPECT_TRUE(Get<QPushButton>("cmdOK").isDefault());
    EXPECT_EQ(Get<QPushButton>("cmdCancel").text(), QStringLiteral("취소"));

    QLineEdit& password = Get<QLineEdit>("txtPassword");
    password.setFocus();
    QTest::keyClicks(&password, QStringLiteral("s3cr'et"));
    EXPECT_EQ(model.txtPassword().Text, "s3cr'et");
    EXPECT_EQ(password.displayText(), QStringLiteral("*******"));
    EXPECT_EQ(password.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &password), '*');
    guitest::SaveScreenshot(*dialog, "frmLogin");
}

TEST_F(LoginDialogTest, ShowsTheRememberedPasswordMasked) {
    SaveSetting(kLoginApp, "Config", "issave_passwd", "1");
    SaveSetting(kLoginApp, "Config", "passwd", "기억된암호");
    Load();
    EXPECT_TRUE(Get<QCheckBox>("chkpwdSave").isChecked());
    EXPECT_TRUE(Get<QCheckBox>("chkpwdSave").isEnabled());
    EXPECT_TRUE(Get<QLabel>("lblNote").isHidden());
    EXPECT_EQ(secrets.Lookup(kLoginApp, "passwd"), "기억된암호");  // moved out of the settings file
    EXPECT_EQ(Get<QLineEdit>("txtPassword").text(), QStringLiteral("기억된암호"));
    EXPECT_EQ(Get<QLineEdit>("txtPassword").displayText(), QStringLiteral("*****"));
}

TEST_F(LoginDialogTest, WrongPasswordSelectsTheWholePasswordInItsBox) {
    Load();
    bool focusedAfterwards = false;
    QString selectedAfterwards;
    RunModal([&] {
        QLineEdit& password = Get<QLineEdit>("txtPassword");
        QTest::keyClick(&Get<QLineEdit>("txtUserName"), Qt::Key_P, Qt::AltModifier);  // access key of "암호(&P):"
        EXPECT_EQ(QApplication::focusWidget(), &password);
        guitest::TypeText(password, QStringLiteral("틀린pw"));
        QTest::mouseClick(&Get<QPushButton>("cmdOK"), Qt::LeftButton);  // the box is answered by the answerer
        focusedAfterwards = dialog->focusWidget() == &password;
        selectedAfterwards = password.selectedText();
        EXPECT_EQ(model.ActiveControl(), login::Control::txtPassword);
        EXPECT_EQ(model.txtPassword().SelStart, 0);
        EXPECT_EQ(model.txtPassword().SelLength, 4);
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(&password, Qt::Key_Escape);  // Esc is the Cancel button
    });
    EXPECT_TRUE(scriptDone);
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].text, QStringLiteral("암호가 잘못되었습니다."));
    EXPECT_EQ(answerer.Boxes()[0].title, QStringLiteral("로그인"));
    EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::NoIcon);
    EXPECT_TRUE(focusedAfterwards);
    EXPECT_EQ(selectedAfterwards, QStringLiteral("틀린pw"));
    EXPECT_FALSE(model.Visible());
    EXPECT_FALSE(model.LoginSucceeded());
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LoginDialogTest, CheckBoxClickRemembersThePassword) {
    Load();
    RunModal([&] {
        QLineEdit& password = Get<QLineEdit>("txtPassword");
        password.setFocus();
        QTest::keyClicks(&password, QStringLiteral("pw1"));
        QTest::mouseClick(&Get<QCheckBox>("chkpwdSave"), Qt::LeftButton);
        EXPECT_EQ(GetSetting(kLoginApp, "Config", "issave_passwd"), "1");
        EXPECT_EQ(secrets.Lookup(kLoginApp, "passwd"), "pw1");
        QTest::mouseClick(&Get<QCheckBox>("chkpwdSave"), Qt::LeftButton);
        EXPECT_EQ(secrets.Lookup(kLoginApp, "passwd"), std::nullopt);
        EXPECT_EQ(GetSetting(kLoginApp, "Config", "passwd", "missing"), "missing");
        QTest::mouseClick(&Get<QPushButton>("cmdCancel"), Qt::LeftButton);
    });
    EXPECT_TRUE(scriptDone);
    EXPECT_FALSE(model.LoginSucceeded());
}

TEST_F(LoginDialogTest, WithoutAKeyringTheDialogSaysSo) {
    testsupport::NoSessionBus noKeyring;
    Load();
    model.Show();
    const QLabel& note = Get<QLabel>("lblNote");
    EXPECT_FALSE(note.isHidden());
    EXPECT_EQ(note.text(), QStringLiteral("이 컴퓨터에서는 암호를 저장할 수 없습니다."));
    EXPECT_FALSE(Get<QCheckBox>("chkpwdSave").isEnabled());
    EXPECT_FALSE(Get<QCheckBox>("chkpwdSave").isChecked());
    dialog->show();
    guitest::SaveScreenshot(*dialog, "frmLogin-no-keyring");
}

TEST_F(LoginDialogTest, CloseBoxEndsTheDialogNotSignedIn) {
    Load();
    RunModal([&] { dialog->close(); });
    EXPECT_TRUE(scriptDone);
    EXPECT_FALSE(model.Visible());
    EXPECT_FALSE(model.LoginSucceeded());
}

TEST_F(LoginDialogTest, ActivationRunsOnceShownAndTheModelMayEndTheDialog) {
    int activations = 0;
    Load([&] {
        ++activations;
        model.cmdCancel_Click();  // as a failed connection hides the dialog
    });
    dialog->RunModal();
    EXPECT_GE(activations, 1);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(model.LoginSucceeded());
}

}  // namespace
