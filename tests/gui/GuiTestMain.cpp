// The main of the widget tests: Qt's offscreen platform, the program's Korean texts
// and fonts, then every test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "gui/KoreanUi.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder; the build tree has one for the tests.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const std::string runtime = NUTV_GUI_RUNTIME;
        ::mkdir(runtime.c_str(), 0700);
        ::chmod(runtime.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    QApplication app(argc, argv);
    KoreanTranslation korean;
    UseKoreanUiFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
