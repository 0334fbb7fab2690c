// 누리Tarn_To_누리Velm: the program's entry point. Qt first (every message box needs it),
// then the start-up sequence: one instance, the update check, the login, the window.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/MsgBox.h"
#include "gui/AppIcon.h"
#include "gui/KoreanUi.h"
#include "gui/MessageBoxes.h"
#include "gui/QtKeyring.h"
#include "gui/QtStartupUi.h"
#include "startup/AccountCopy.h"
#include "startup/ProgramStart.h"

namespace {

// The status with which the program ends when it finds no display to open its windows on.
constexpr int kNoDisplayStatus = 3;

// Qt reports a display it cannot reach with a few English lines and then aborts. While
// the application object is made, its messages are held back: a fatal one becomes our own
// single line and status; otherwise they are printed as Qt would have printed them.
std::vector<std::string> heldMessages;

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fputs(
            "화면(디스플레이)에 연결할 수 없어 프로그램을 시작할 수 없습니다. DISPLAY를 확인하세요. / "
            "Cannot start: no display to connect to (check DISPLAY).\n",
            stderr);
        std::_Exit(kNoDisplayStatus);
    }
    heldMessages.push_back(qFormatLogMessage(type, context, text).toStdString());
}

class StartMessages {
public:
    StartMessages() : previous_(qInstallMessageHandler(HoldStartMessage)) {}
    ~StartMessages() { qInstallMessageHandler(previous_); }
    StartMessages(const StartMessages&) = delete;
    StartMessages& operator=(const StartMessages&) = delete;

    void Release() {
        qInstallMessageHandler(previous_);
        for (const std::string& line : heldMessages) std::fprintf(stderr, "%s\n", line.c_str());
        heldMessages.clear();
    }

private:
    QtMessageHandler previous_;
};

}  // namespace

int main(int argc, char** argv) {
    // An account runs its own copy of an installation it cannot write.
    const std::optional<std::string> refusal = startup::ContinueInAccountCopy(argv);
    StartMessages held;
    QApplication app(argc, argv);
    held.Release();
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    QApplication::setDesktopFileName(QStringLiteral("nuritarn-to-nurivelm"));
    QApplication::setWindowIcon(AppIcon());
    KoreanTranslation korean;
    UseKoreanUiFont();
    SetMsgBoxHandler(QtMsgBoxHandler());
    SetPasswordKeyring(std::make_unique<QtKeyring>());
    if (refusal) {
        MsgBox(*refusal, mb::kOkOnly | mb::kCritical);
        return 1;
    }

    QtStartupUi ui;
    // One instance, the update check (program folder and name from /proc/self/exe), the
    // login; then the conversion window, which keeps the program running.
    const platform::SingleInstanceLock instance = StartProgram(ui);
    const int status = QApplication::exec();
    SetMsgBoxHandler({});
    return status;
}
