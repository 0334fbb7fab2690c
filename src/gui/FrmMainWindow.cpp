#include "gui/FrmMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <limits>

#include "common/MsgBox.h"
#include "gui/KoreanUi.h"
#include "gui/LogFile.h"
#include "gui/QtText.h"

namespace {

// A bar's model values are floats; the widget counts in ints.
int BarUnits(float value) {
    if (!(value > 0)) return 0;
    if (value >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// Text that asks for a second look: a part of the catalogue selected, other IDs since.
constexpr const char* kWarningText = "QLabel { color: #8a4b00; font-weight: bold; }";

// Restyling costs a relayout: only when the style changes.
void SetStyleSheetIfChanged(QWidget& widget, const char* sheet) {
    if (widget.styleSheet() != QLatin1String(sheet)) widget.setStyleSheet(QString::fromLatin1(sheet));
}

}  // namespace

FrmMainWindow::FrmMainWindow(FrmMain& model, QWidget* parent)
    : QWidget(parent),
      model_(model),
      escape_(QKeySequence(Qt::Key_Escape), this),
      repairChord_(QKeySequence(kRepairChord), this) {
    BuildControls();
    BuildLayout();
    Connect();
    model_.SetChangeListener([this](FrmMain::Change change) { OnModelChange(change); });
    Apply(FrmMainView::Capture(model_, FrmMainView::kAll & ~FrmMainView::kFocus & ~FrmMainView::kUnloaded));
}

FrmMainWindow::~FrmMainWindow() {
    // The program quits while a run works: it is stopped, its questions are answered as
    // cancelled, and it ends here, before the model stops telling this window of changes.
    if (run_.Running()) {
        model_.cmdStop_Click();
        run_.EndOnQuit();
    }
    model_.SetChangeListener({});
}

void FrmMainWindow::Connect() {
    for (CustomerIndex i = 0; i <= 1; ++i) {
        QObject::connect(&txtID_[i], &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (AcceptsInput()) model_.SetIdText(i, FromQ(text));
        });
    }
    QObject::connect(&list1_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!AcceptsInput()) return;
        for (int row = 0; row < list1_.count() && row < model_.List1().ListCount(); ++row)
            model_.List1().SetSelected(row, list1_.item(row)->isSelected());
        model_.SelectionChanged();
        ShowSelectionCount();
    });
    QObject::connect(&list1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (AcceptsInput() && row < model_.List1().ListCount()) model_.List1().SetListIndex(row);
    });
    // The box shows the rows as they are: a click selects all, or, all selected, none.
    QObject::connect(&chkAll_, &QCheckBox::clicked, this, [this] {
        if (AcceptsInput()) model_.chkAll_Toggle();
        ShowSelectionCount();
    });
    QObject::connect(&btnMSel_, &QPushButton::clicked, this, [this] {
        if (AcceptsInput()) model_.btnMSel_Click();
    });
    QObject::connect(&cmdClose_, &QPushButton::clicked, this, [this] {
        if (AcceptsInput()) model_.cmdClose_Click();
    });
    QObject::connect(&cmdStart_, &QPushButton::clicked, this,
                     [this] { StartRun([](FrmMain& model) { model.cmdStart_Click(); }); });
    QObject::connect(&cmdVerify_, &QPushButton::clicked, this,
                     [this] { StartRun([](FrmMain& model) { model.cmdVerify_Click(); }); });
    // From the window thread while the run works: the model cuts the run's connections.
    QObject::connect(&cmdStop_, &QPushButton::clicked, this, [this] {
        if (run_.Running()) model_.cmdStop_Click();
    });
    QObject::connect(&command1_, &QPushButton::clicked, this,
                     [this] { StartRun([](FrmMain& model) { model.Command1_Click(); }); });
    // Esc works the close button; while a run works, the stop button.
    QObject::connect(&escape_, &QShortcut::activated, this, [this] {
        if (run_.Running())
            cmdStop_.click();
        else if (cmdClose_.isEnabled())
            cmdClose_.click();
    });
    QObject::connect(&repairChord_, &QShortcut::activated, this, [this] { UnlockRepairCommand(); });
    QObject::connect(&cmdSaveLog_, &QPushButton::clicked, this, [this] { SaveLog(); });
    QObject::connect(&cmdHistory_, &QPushButton::clicked, this, [this] { ShowHistory(); });
    QObject::connect(&cmdRetryFailed_, &QPushButton::clicked, this, [this] {
        if (AcceptsInput()) model_.cmdRetryFailed_Click();
    });
    QObject::connect(&txtLog_, &QWidget::customContextMenuRequested, this,
                     [this](const QPoint& position) { ShowLogMenu(position); });
    statusTicker_.setInterval(1000);
    QObject::connect(&statusTicker_, &QTimer::timeout, this, [this] { ShowStatusLine(); });
}

void FrmMainWindow::ShowLogMenu(const QPoint& position) {
    std::unique_ptr<QMenu> menu(txtLog_.createStandardContextMenu(position));
    menu->addSeparator();
    QAction* save = menu->addAction(QStringLiteral("로그 저장…"));
    save->setObjectName(QStringLiteral("actSaveLog"));
    QObject::connect(save, &QAction::triggered, this, [this] { SaveLog(); });
    menu->exec(txtLog_.viewport()->mapToGlobal(position));
}

void FrmMainWindow::SaveLog() {
    // While a run works the model is the worker's: its facts as last painted.
    if (!run_.Running()) {
        logHeader_ = model_.SavedLogHeader();
        logName_ = model_.SavedLogName();
    }
    SaveLogAs(this, ToQ(logHeader_) + txtLog_.toPlainText(), ToQ(logName_));
}

void FrmMainWindow::ShowHistory() {
    if (!history_) history_ = std::make_unique<RunHistoryDialog>(this);
    history_->Reload();
    history_->show();
    history_->raise();
    history_->activateWindow();
}

void FrmMainWindow::LoadAndShow() {
    model_.Form_Load();
    model_.Show();
    show();
}

void FrmMainWindow::UnlockRepairCommand() {
    repairUnlocked_ = true;
    command1_.setEnabled(!run_.Running());
}

void FrmMainWindow::closeEvent(QCloseEvent* event) {
    if (!run_.Running()) {
        event->accept();
        return;
    }
    // The run still needs the window (its questions, its last messages): it is stopped
    // first, and the window closes when the run has ended.
    event->ignore();
    // Already asked, or a question of the run is up and must be answered first.
    if (closeAfterRun_ || QApplication::activeModalWidget()) return;
    if (MsgBox("작업이 진행 중입니다.\r\n작업을 중지하고 창을 닫으시겠습니까?",
               mb::kYesNo + mb::kQuestion + mb::kDefaultButton2) != mb::kYes ||
        !run_.Running())
        return;
    closeAfterRun_ = true;
    model_.cmdStop_Click();
}

void FrmMainWindow::OnModelChange(FrmMain::Change change) {
    const unsigned part = FrmMainView::PartOf(change);
    if (QThread::currentThread() == thread()) {
        Apply(FrmMainView::Capture(model_, part));
        return;
    }
    // On the worker: copy what changed now, while the worker owns the model, and let the
    // window thread paint it. One paint request at a time; later changes join it, so a
    // copy of a million rows does not flood the window with a million requests.
    FrmMainView view = FrmMainView::Capture(model_, part);
    bool schedule = false;
    {
        std::lock_guard lock(pendingMutex_);
        pending_.Merge(std::move(view));
        schedule = !applyScheduled_;
        applyScheduled_ = true;
    }
    if (schedule)
        QMetaObject::invokeMethod(
            this, [this] { ApplyPending(); }, Qt::QueuedConnection);
}

void FrmMainWindow::ApplyPending() {
    FrmMainView view;
    {
        std::lock_guard lock(pendingMutex_);
        view = std::move(pending_);
        pending_ = FrmMainView();
        applyScheduled_ = false;
    }
    Apply(view);
}

void FrmMainWindow::Apply(const FrmMainView& view) {
    syncing_ = true;
    if (view.parts & FrmMainView::kIdText) {
        for (CustomerIndex i = 0; i <= 1; ++i) {
            const QString text = ToQ(view.idText[i]);
            if (txtID_[i].text() != text) txtID_[i].setText(text);
        }
    }
    if (view.parts & FrmMainView::kHostLabel)
        for (CustomerIndex i = 0; i <= 1; ++i) lblIP_[i].setText(ToQ(view.hostLabel[i]));
    if (view.parts & FrmMainView::kList) ApplyList(view);
    if (view.parts & (FrmMainView::kSelectAll | FrmMainView::kList)) ShowSelectionCount();
    if (view.parts & FrmMainView::kLog) ApplyLog(view.log);
    if (view.parts & FrmMainView::kProgress) {
        for (int i = 0; i < 2; ++i) {
            const int max = BarUnits(view.bars[i].Max);
            progressBar1_[i].setRange(0, max);
            // The row count is taken before the copy; a busy source may give a few more.
            progressBar1_[i].setValue(std::min(BarUnits(view.bars[i].Value), max));
        }
        shownTableRows_ = view.bars[0].Value;
        ShowStatusLine();
    }
    if (view.parts & FrmMainView::kStatus) ApplyStatus(view);
    if (view.parts & FrmMainView::kFocus) {
        focusRequest_ = view.focus;
        if (!run_.Running()) ApplyFocus();
    }
    syncing_ = false;
    if ((view.parts & FrmMainView::kUnloaded) && view.unloaded) close();
}

void FrmMainWindow::ApplyList(const FrmMainView& view) {
    bool sameRows = list1_.count() == static_cast<int>(view.rows.size());
    for (int row = 0; sameRows && row < list1_.count(); ++row)
        sameRows = list1_.item(row)->text() == ToQ(view.rows[static_cast<std::size_t>(row)]);
    if (!sameRows) {
        list1_.clear();
        for (const std::string& name : view.rows) list1_.addItem(ToQ(name));
    }
    for (int row = 0; row < list1_.count(); ++row) {
        const bool selected = view.selected[static_cast<std::size_t>(row)];
        if (list1_.item(row)->isSelected() != selected) list1_.item(row)->setSelected(selected);
    }
    if (view.currentRow >= 0 && view.currentRow < list1_.count()) {
        list1_.setCurrentRow(view.currentRow, QItemSelectionModel::NoUpdate);
        list1_.scrollToItem(list1_.item(view.currentRow));
    }
}

void FrmMainWindow::ApplyLog(const std::string& log) {
    QScrollBar& scroll = *txtLog_.verticalScrollBar();
    // A reader who scrolled up keeps reading where they are; one at the end follows the run.
    const bool following = scroll.value() >= scroll.maximum();
    const int reading = scroll.value();
    if (log.size() >= shownLog_.size() && log.compare(0, shownLog_.size(), shownLog_) == 0) {
        AppendLog(DisplayText(log.substr(shownLog_.size())));
    } else {
        txtLog_.clear();
        logInSummary_ = false;
        // Emptied as a run starts: what follows in the same paint is that run's.
        if (run_.Running())
            AppendLog(DisplayText(log));
        else
            txtLog_.setPlainText(DisplayText(log));
    }
    shownLog_ = log;
    scroll.setValue(following ? scroll.maximum() : reading);
}

// Appended at the end through a cursor of its own, whatever the user has selected: each
// line of a run starts with the time it was written, and the summary is set apart by an
// empty line and bold type.
void FrmMainWindow::AppendLog(const QString& text) {
    QTextCursor end(txtLog_.document());
    end.movePosition(QTextCursor::End);
    const QString time = QTime::currentTime().toString(QStringLiteral("[HH:mm:ss] "));
    QStringList lines = text.split(QLatin1Char('\n'));
    const QString rest = lines.takeLast();  // after the last line break: nothing, or an unfinished line
    for (const QString& line : lines) {
        if (!logInSummary_ && line.startsWith(QStringLiteral("[작업 요약]"))) {
            logInSummary_ = true;
            end.insertText(QStringLiteral("\n"), QTextCharFormat());
        }
        QTextCharFormat format;
        if (logInSummary_) format.setFontWeight(QFont::Bold);
        end.insertText((run_.Running() ? time : QString()) + line + QLatin1Char('\n'), format);
    }
    end.insertText(rest, QTextCharFormat());
}

void FrmMainWindow::ApplyStatus(const FrmMainView& view) {
    QListWidgetItem* firstFailed = nullptr;
    for (int row = 0; row < list1_.count() && row < static_cast<int>(view.rowStates.size()); ++row) {
        QListWidgetItem& item = *list1_.item(row);
        const QString state = ToQ(view.rowStates[static_cast<std::size_t>(row)]);
        if (!firstFailed && RowStateDelegate::Ground(state) == RowStateDelegate::Ground(QStringLiteral("실패")))
            firstFailed = &item;
        if (item.data(RowStateDelegate::kStateRole).toString() == state) continue;
        item.setData(RowStateDelegate::kStateRole, state);
        // Assistive technology reads the row's state with its name.
        item.setData(Qt::AccessibleTextRole,
                     state.isEmpty() ? item.text() : item.text() + QStringLiteral(": ") + state);
        item.setData(Qt::AccessibleDescriptionRole, state);
    }
    shownStatus_ = view.status;
    shownSelection_ = view.selectionLine;
    selectionNews_ = view.selectionNews;
    selectionWarning_ = view.selectionWarning;
    for (QProgressBar& bar : progressBar1_) bar.setTextVisible(shownStatus_.begun);
    if (shownStatus_.ended && firstFailed) list1_.scrollToItem(firstFailed);
    ShowStatusLine();
    ApplyFailure(view);
}

void FrmMainWindow::ApplyFailure(const FrmMainView& view) {
    QStringList lines;
    for (const std::string& line : view.explanation) lines << ToQ(line);
    const bool stopped = view.explanationHeading == "[중지 설명]";
    // A stop is no fault: it reads as a notice, a failure as an alarm.
    lblFailure_.setStyleSheet(stopped
                                  ? QStringLiteral("QLabel { background: #fff8e0; color: #4a3400; border: 2px solid "
                                                   "#a06800; padding: 4px; }")
                                  : QStringLiteral("QLabel { background: #fff0f0; color: #8b0000; border: 2px solid "
                                                   "#b40000; padding: 4px; }"));
    lblFailure_.setAccessibleName(ToQ(view.explanationHeading).remove(QLatin1Char('[')).remove(QLatin1Char(']')));
    if (!lines.isEmpty()) lines.prepend(ToQ(view.explanationHeading));
    lblFailure_.setText(lines.join(QLatin1Char('\n')));
    lblFailure_.setAccessibleDescription(lblFailure_.text());
    lblFailure_.setVisible(!lines.isEmpty());
    retryable_ = view.retryable;
    cmdRetryFailed_.setEnabled(retryable_ && !run_.Running());
    logHeader_ = view.logHeader;
    logName_ = view.logName;
}

void FrmMainWindow::ShowStatusLine() {
    const auto rows = static_cast<std::int64_t>(shownTableRows_);
    const bool selection = !run_.Running() && selectionNews_;
    const QString line = ToQ(selection ? shownSelection_ : shownStatus_.Line(rows, std::chrono::steady_clock::now()));
    SetStyleSheetIfChanged(lblStatus_, selection && selectionWarning_ ? kWarningText : "");
    // Cut to the label's width with "…" (in the font the style gives it); the whole line in
    // the tooltip and for assistive technology.
    lblStatus_.setText(lblStatus_.fontMetrics().elidedText(line, Qt::ElideRight, std::max(1, lblStatus_.width())));
    lblStatus_.setToolTip(line);
    lblStatus_.setAccessibleDescription(line);
}

void FrmMainWindow::ShowSelectionCount() {
    int selected = 0;
    for (int row = 0; row < list1_.count(); ++row) selected += list1_.item(row)->isSelected() ? 1 : 0;
    const bool all = selected == list1_.count() && selected > 0;
    chkAll_.setCheckState(all ? Qt::Checked : selected == 0 ? Qt::Unchecked : Qt::PartiallyChecked);
    lblSelCount_.setText(QStringLiteral("%1 / %2개 선택").arg(selected).arg(list1_.count()));
    lblSelCount_.setAccessibleDescription(lblSelCount_.text());
    // Only some: set apart, so that nobody starts a part believing it the whole.
    SetStyleSheetIfChanged(lblSelCount_, all ? "" : kWarningText);
}

void FrmMainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowStatusLine();
}

void FrmMainWindow::ApplyFocus() {
    for (CustomerIndex i = 0; i <= 1; ++i)
        if (focusRequest_ == "txtID(" + std::to_string(i) + ")") txtID_[i].setFocus();
    focusRequest_.clear();
}

void FrmMainWindow::StartRun(std::function<void(FrmMain&)> operation) {
    if (run_.Running() || syncing_) return;
    model_.Stop().Begin();  // a late click on 중지 of the run before stops nothing now
    SetInputsEnabled(false);
    cmdStop_.setFocus();  // Space or Enter now stops, as Esc does
    statusTicker_.start();
    run_.Start([this, operation = std::move(operation)] { operation(model_); }, [this] { RunEnded(); });
}

void FrmMainWindow::RunEnded() {
    statusTicker_.stop();
    ApplyPending();  // what the worker changed last
    // The worker has been joined: the model is the window thread's again.
    Apply(FrmMainView::Capture(model_, FrmMainView::kAll & ~FrmMainView::kFocus & ~FrmMainView::kUnloaded));
    const bool stopFocused = focusWidget() == &cmdStop_;  // the window's focus, active or not
    SetInputsEnabled(true);
    // The stop button goes grey: the focus goes back to 시작, not on to the next button.
    if (stopFocused) cmdStart_.setFocus();
    ApplyFocus();
    if (runFinished_) runFinished_();
    if (closeAfterRun_) {
        closeAfterRun_ = false;
        close();
    }
}

void FrmMainWindow::SetInputsEnabled(bool enabled) {
    for (QLineEdit& box : txtID_) box.setEnabled(enabled);
    list1_.setEnabled(enabled);
    chkAll_.setEnabled(enabled);
    btnMSel_.setEnabled(enabled);
    cmdStart_.setEnabled(enabled);
    cmdRetryFailed_.setEnabled(enabled && retryable_);
    cmdVerify_.setEnabled(enabled);
    cmdClose_.setEnabled(enabled);
    cmdStop_.setEnabled(!enabled);
    command1_.setEnabled(enabled && repairUnlocked_);
}
