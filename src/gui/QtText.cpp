#include "gui/QtText.h"

QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQ(const QString& text) {
    return text.toStdString();
}

QString DisplayText(const std::string& text) {
    QString shown = ToQ(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}
