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
// For figures beside Korean text (the status line, the host labels, the bars, the row
// states): Latin letters, digits and punctuation from a face whose "." and "," differ at a
// glance, at a size where they do; Korean from the UI font.
QFont FiguresFont();

// Makes UiFont() the application's font.
void UseKoreanUiFont();
