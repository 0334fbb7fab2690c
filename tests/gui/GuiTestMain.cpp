// The main of the widget tests: Qt's offscreen platform, the program's Korean texts
// and fonts, then every test.
#include <gtest/gtest.h>

#include <QApplication>

#include "gui/KoreanUi.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    KoreanTranslation korean;
    UseKoreanUiFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
