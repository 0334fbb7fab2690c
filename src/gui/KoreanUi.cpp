#include "gui/KoreanUi.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QStringList>

namespace {

// The first family of the list that this computer has; the first of the list when none.
QString FirstInstalled(const QStringList& families) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families)
        if (installed.contains(family, Qt::CaseInsensitive)) return family;
    return families.front();
}

}  // namespace

KoreanTranslation::KoreanTranslation() {
    loaded_ = translator_.load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"),
                               QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded_) QCoreApplication::installTranslator(&translator_);
}

KoreanTranslation::~KoreanTranslation() {
    if (loaded_) QCoreApplication::removeTranslator(&translator_);
}

QFont UiFont() {
    QFont font(FirstInstalled({QStringLiteral("굴림"), QStringLiteral("Gulim"), QStringLiteral("NanumGothic"),
                               QStringLiteral("NanumBarunGothic"), QStringLiteral("Noto Sans CJK KR")}));
    font.setPointSize(9);
    return font;
}

QFont LogFont() {
    // "굴림체" is the Windows fixed-pitch Korean font; NanumGothicCoding is Debian's
    // fixed-pitch Korean font. Either way every character takes the same width, so the
    // log's columns line up.
    const QString family = FirstInstalled({QStringLiteral("굴림체"), QStringLiteral("GulimChe"),
                                           QStringLiteral("NanumGothicCoding"), QStringLiteral("D2Coding"),
                                           QStringLiteral("Noto Sans Mono CJK KR"), QStringLiteral("Monospace")});
    QFont font(family);
    // 굴림체 is drawn at 9 points. At that size NanumGothicCoding's lines are too short for
    // its descenders ("g", "p", "_" lose their lower part) and "." shrinks to a speck; at
    // 10.5 points (14 pixels on a 96-dpi screen) both show in full and a Korean syllable
    // still takes exactly two Latin cells.
    const bool gulim = family == QStringLiteral("굴림체") || family == QStringLiteral("GulimChe");
    font.setPointSizeF(gulim ? 9 : 10.5);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QFont FiguresFont() {
    QFont font = UiFont();
    font.setFamilies(
        {FirstInstalled({QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana"), QStringLiteral("Liberation Sans")}),
         font.family()});
    // At 11 points a comma's tail stands twice as tall as the full stop.
    font.setPointSizeF(11);
    return font;
}

void UseKoreanUiFont() {
    QApplication::setFont(UiFont());
}
