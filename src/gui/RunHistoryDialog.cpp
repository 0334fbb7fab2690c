#include "gui/RunHistoryDialog.h"

#include "gui/KoreanUi.h"
#include "gui/QtText.h"

RunHistoryDialog::RunHistoryDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RunHistory"));
    setWindowTitle(QStringLiteral("작업 기록"));
    caption_.setText(QStringLiteral("지난 작업 (최근 것부터):"));
    list_.setObjectName(QStringLiteral("lstRuns"));
    list_.setAccessibleName(QStringLiteral("지난 작업 목록"));
    list_.setFont(FiguresFont());
    record_.setObjectName(QStringLiteral("txtRecord"));
    record_.setAccessibleName(QStringLiteral("작업 기록 내용"));
    record_.setReadOnly(true);
    record_.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    record_.setLineWrapMode(QPlainTextEdit::NoWrap);
    record_.setFont(LogFont());
    close_.setObjectName(QStringLiteral("cmdCloseHistory"));
    close_.setText(QStringLiteral("닫기"));
    caption_.setBuddy(&list_);
    layout_.addWidget(&caption_);
    layout_.addWidget(&list_, 1);
    layout_.addWidget(&record_, 3);
    layout_.addWidget(&close_, 0, Qt::AlignRight);
    setLayout(&layout_);
    QObject::connect(&list_, &QListWidget::currentRowChanged, this, [this](int row) { ShowRecord(row); });
    QObject::connect(&close_, &QPushButton::clicked, this, [this] { close(); });
    resize(760, 560);
}

void RunHistoryDialog::Reload() {
    entries_ = RecentRunRecords();
    list_.clear();
    record_.clear();
    for (const RunRecordEntry& entry : entries_) {
        // The outcome before the IDs, which may be long.
        list_.addItem(ToQ(entry.started + "  " + entry.kind + " · " + entry.outcome + "  " + entry.ids));
        list_.item(list_.count() - 1)->setToolTip(ToQ(entry.path));
    }
    if (entries_.empty())
        record_.setPlainText(QStringLiteral("아직 작업 기록이 없습니다."));
    else
        list_.setCurrentRow(0);
    list_.setFocus();
}

void RunHistoryDialog::ShowRecord(int row) {
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    const std::string& path = entries_[static_cast<std::size_t>(row)].path;
    const std::string text = RunRecordFileText(path);
    record_.setPlainText(text.empty() ? ToQ(path + ": 읽지 못했습니다") : ToQ(text));
    record_.setToolTip(ToQ(path));
}
