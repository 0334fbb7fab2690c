#pragma once
#include <QString>

class QWidget;

// Writes the work log's text to a file as UTF-8; false, with the reason, when it cannot.
bool WriteLogFile(const QString& path, const QString& text, QString& error);

// "로그 저장…": asks where to save the log (the program's own file dialog, suggesting the
// given name in the home folder) and saves it there, telling the user when it fails.
void SaveLogAs(QWidget* parent, const QString& text, const QString& fileName);
