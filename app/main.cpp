// 누리Tarn_To_누리Velm: the program's entry point. Qt first (every message box needs it),
// then the start-up sequence: one instance, the update check, the login, the window.
#include <QApplication>

#include "common/MsgBox.h"
#include "gui/AppIcon.h"
#include "gui/KoreanUi.h"
#include "gui/MessageBoxes.h"
#include "gui/QtStartupUi.h"
#include "startup/ProgramStart.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    QApplication::setDesktopFileName(QStringLiteral("nuritarn-to-nurivelm"));
    QApplication::setWindowIcon(AppIcon());
    KoreanTranslation korean;
    UseKoreanUiFont();
    SetMsgBoxHandler(QtMsgBoxHandler());

    QtStartupUi ui;
    // One instance, the update check (program folder and name from /proc/self/exe), the
    // login; then the conversion window, which keeps the program running.
    const platform::SingleInstanceLock instance = StartProgram(ui);
    const int status = QApplication::exec();
    SetMsgBoxHandler({});
    return status;
}
