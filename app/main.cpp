// 누리Tarn_To_누리Velm: the program's entry point. Qt first (every message box needs it),
// then the start-up sequence: one instance, the update check, the login, the window.
#include <QApplication>

#include "autoupdate/UpdateSite.h"
#include "autoupdate/modAutoUpdateV1_Launcher.h"
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
    StartupSteps steps;
    // The program's folder and name come from the running executable (/proc/self/exe).
    steps.runAutoUpdate = [] {
        return RunAutoUpdate(false, UpdateSite::OfRunningProgram()) == UpdateOutcome::Continue;
    };
    const platform::SingleInstanceLock instance = StartProgram(ui, steps);
    const int status = QApplication::exec();
    SetMsgBoxHandler({});
    return status;
}
