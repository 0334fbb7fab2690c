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
// for the work log ("굴림체" 9 pt where it exists, else a Korean coding font at 10.5 pt).
QFont UiFont();
QFont LogFont();

// Makes UiFont() the application's font.
void UseKoreanUiFont();
