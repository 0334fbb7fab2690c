#pragma once
#include <QFont>
#include <QTranslator>

// Korean for Qt's own texts (message-box buttons, context menus) from Qt's Korean
// translation, installed for as long as the object lives.
class KoreanTranslation {
public:
    KoreanTranslation();
    ~KoreanTranslation();
    KoreanTranslation(const KoreanTranslation&) = delete;
    KoreanTranslation& operator=(const KoreanTranslation&) = delete;

    // False when Qt's Korean translation is not installed (Qt's English texts stay).
    bool Loaded() const { return loaded_; }

private:
    QTranslator translator_;
    bool loaded_ = false;
};

// The program's fonts: a Korean UI font for the windows and a Korean fixed-pitch font
// for the work log ("굴림체" where it exists).
QFont UiFont();
QFont LogFont();

// Makes UiFont() the application's font.
void UseKoreanUiFont();
