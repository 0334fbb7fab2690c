#pragma once
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "conversion/record/RunHistory.h"

// The latest runs' records: one row each (when, the IDs, the kind of run, the outcome),
// newest first; the chosen record is shown whole below, read-only.
class RunHistoryDialog : public QDialog {
public:
    explicit RunHistoryDialog(QWidget* parent);

    // Reads the records folder again and shows the newest record.
    void Reload();

private:
    void ShowRecord(int row);

    std::vector<RunRecordEntry> entries_;
    QLabel caption_;
    QListWidget list_;
    QPlainTextEdit record_;
    QPushButton close_;
    QVBoxLayout layout_;
};
