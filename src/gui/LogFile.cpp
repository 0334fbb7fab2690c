#include "gui/LogFile.h"

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include "common/MsgBox.h"
#include "gui/QtText.h"

bool WriteLogFile(const QString& path, const QString& text, QString& error) {
    // Written whole or not at all: an existing file is replaced only by a complete copy.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void SaveLogAs(QWidget* parent, const QString& text, const QString& fileName) {
    const QString suggested = QDir::home().filePath(fileName);
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("로그 저장"), suggested,
                                                      QStringLiteral("텍스트 파일 (*.txt);;모든 파일 (*)"), nullptr,
                                                      QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) return;
    QString error;
    if (!WriteLogFile(path, text, error))
        MsgBox("로그를 저장하지 못했습니다.\r\n" + FromQ(path) + "\r\n(" + FromQ(error) + ")",
               mb::kOkOnly + mb::kExclamation);
}
