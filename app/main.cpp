// 누리Tarn_To_누리Velm: the program's entry point.
#include <QApplication>

#include "common/MsgBox.h"
#include "conversion/FrmMain.h"
#include "gui/AppIcon.h"
#include "gui/FrmMainWindow.h"
#include "gui/KoreanUi.h"
#include "gui/MessageBoxes.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    QApplication::setWindowIcon(AppIcon());
    KoreanTranslation korean;
    UseKoreanUiFont();
    SetMsgBoxHandler(QtMsgBoxHandler());

    FrmMain model;
    FrmMainWindow window(model);
    window.LoadAndShow();
    const int status = QApplication::exec();
    SetMsgBoxHandler({});
    return status;
}
