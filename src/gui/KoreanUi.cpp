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
    QFont font(FirstInstalled({QStringLiteral("굴림체"), QStringLiteral("GulimChe"),
                               QStringLiteral("NanumGothicCoding"), QStringLiteral("D2Coding"),
                               QStringLiteral("Noto Sans Mono CJK KR"), QStringLiteral("Monospace")}));
    font.setPointSize(9);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

void UseKoreanUiFont() {
    QApplication::setFont(UiFont());
}
