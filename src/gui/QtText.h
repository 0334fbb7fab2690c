#pragma once
#include <QString>
#include <string>

// Text crossing between the program (UTF-8 std::string, CR LF line breaks) and Qt.
QString ToQ(const std::string& text);
std::string FromQ(const QString& text);

// The text as Qt shows it: CR LF line breaks become single line feeds.
QString DisplayText(const std::string& text);
