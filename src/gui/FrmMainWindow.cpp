#include "gui/FrmMainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <algorithm>
#include <limits>

#include "common/MsgBox.h"
#include "gui/KoreanUi.h"
#include "gui/QtText.h"

namespace {

// A bar's model values are floats; the widget counts in ints.
int BarUnits(float value) {
    if (!(value > 0)) return 0;
    if (value >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

void PlainLabel(QLabel& label, const char* name, const char* caption) {
    label.setObjectName(QString::fromLatin1(name));
    label.setTextFormat(Qt::PlainText);
    label.setText(QString::fromUtf8(caption));
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
    model_.SetChangeListener({});
}

void FrmMainWindow::BuildControls() {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QString::fromUtf8(FrmMain::kCaption));

    PlainLabel(label1Heading_, "Label1_0", "[처리절차]");
    PlainLabel(label1Step1_, "Label1_2", "1. 누리온Tarn 최신버전으로 실행을 한번 해 줍니다.(DB업그레이드)");
    PlainLabel(label1Step2_, "Label1_4", "2. [시작]버튼을 눌러 작업을 시작합니다.");
    PlainLabel(label1IdRow_, "Label1_3", "Tarn 아이디:");

    for (CustomerIndex i = 0; i <= 1; ++i) {
        txtID_[i].setObjectName(QStringLiteral("txtID_%1").arg(i));
        PlainLabel(lblIP_[i], i == 0 ? "lblIP_0" : "lblIP_1", FrmMain::kNoHost);
        lblIP_[i].setAlignment(Qt::AlignCenter);
    }
    PlainLabel(lblArrow_, "lblArrow", "→");
    QFont arrowFont = lblArrow_.font();
    arrowFont.setBold(true);
    arrowFont.setPointSize(arrowFont.pointSize() + 5);
    lblArrow_.setFont(arrowFont);

    cmdStart_.setObjectName(QStringLiteral("cmdStart"));
    cmdStart_.setText(QStringLiteral("시작"));
    cmdClose_.setObjectName(QStringLiteral("cmdClose"));
    cmdClose_.setText(QStringLiteral("닫기"));
    cmdStop_.setObjectName(QStringLiteral("cmdStop"));
    cmdStop_.setText(QStringLiteral("중지"));
    cmdStop_.setEnabled(false);
    command1_.setObjectName(QStringLiteral("Command1"));
    command1_.setText(QStringLiteral("Command1"));
    command1_.setEnabled(false);
    command1_.setToolTip(QStringLiteral("ordbook_d.parentseq 재처리 (관리자: Ctrl+Shift+F12)"));

    chkAll_.setObjectName(QStringLiteral("chkAll"));
    chkAll_.setText(QStringLiteral("전체(&A)"));
    btnMSel_.setObjectName(QStringLiteral("btnMSel"));
    btnMSel_.setText(QStringLiteral("↓"));
    btnMSel_.setFixedWidth(btnMSel_.fontMetrics().horizontalAdvance(QStringLiteral("↓")) + 24);

    list1_.setObjectName(QStringLiteral("List1"));
    // Clicking a row toggles it, as in a list with simple multiple selection: the
    // catalogue starts fully selected, and a click must not throw that selection away.
    list1_.setSelectionMode(QAbstractItemView::MultiSelection);
    list1_.setMinimumWidth(190);
    list1_.setMaximumWidth(230);

    PlainLabel(label2Log_, "Label2_12", "[ 작업 진행 로그 ]");
    QFont bold = label2Log_.font();
    bold.setBold(true);
    label2Log_.setFont(bold);

    txtLog_.setObjectName(QStringLiteral("TxtLog"));
    txtLog_.setReadOnly(true);
    // Read-only, but the user may select and copy with the keyboard as with the mouse.
    txtLog_.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtLog_.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtLog_.setFont(LogFont());
    txtLog_.setMinimumWidth(420);

    PlainLabel(label2Current_, "Label2_6", "현재:");
    PlainLabel(label2Total_, "Label2_7", "전체:");
    for (int i = 0; i < 2; ++i) {
        progressBar1_[i].setObjectName(QStringLiteral("ProgressBar1_%1").arg(i));
        progressBar1_[i].setTextVisible(false);
        progressBar1_[i].setRange(0, 100);
        progressBar1_[i].setValue(0);
    }
}

void FrmMainWindow::BuildLayout() {
    // Top: the procedure on the left, Command1 apart from it on the right.
    procedure_.addWidget(&label1Heading_);
    procedure_.addWidget(&label1Step1_);
    procedure_.addWidget(&label1Step2_);
    header_.addLayout(&procedure_);
    header_.addStretch(1);
    header_.addWidget(&command1_, 0, Qt::AlignTop);

    // The ID row: caption, source ID, the arrow, target ID, then the commands; the
    // located host under each ID box.
    idRow_.addWidget(&label1IdRow_, 0, 0);
    idRow_.addWidget(&txtID_[0], 0, 1);
    idRow_.addWidget(&lblArrow_, 0, 2, Qt::AlignCenter);
    idRow_.addWidget(&txtID_[1], 0, 3);
    idRow_.setColumnStretch(4, 1);
    idRow_.addWidget(&cmdStart_, 0, 5);
    idRow_.addWidget(&cmdStop_, 0, 6);
    idRow_.addWidget(&cmdClose_, 0, 7);
    idRow_.addWidget(&lblIP_[0], 1, 1);
    idRow_.addWidget(&lblIP_[1], 1, 3);
    idRow_.setColumnMinimumWidth(1, 150);
    idRow_.setColumnMinimumWidth(3, 150);

    // The list on the left and the log on its right, in one row so both get the same height.
    listTools_.addWidget(&chkAll_);
    listTools_.addStretch(1);
    listTools_.addWidget(&btnMSel_);
    body_.addLayout(&listTools_, 0, 0);
    body_.addWidget(&label2Log_, 0, 1);
    body_.addWidget(&list1_, 1, 0);
    body_.addWidget(&txtLog_, 1, 1);
    body_.setColumnStretch(1, 1);
    body_.setRowStretch(1, 1);

    bars_.addWidget(&label2Current_, 0, 0);
    bars_.addWidget(&progressBar1_[0], 0, 1);
    bars_.addWidget(&label2Total_, 1, 0);
    bars_.addWidget(&progressBar1_[1], 1, 1);
    bars_.setColumnStretch(1, 1);

    outer_.addLayout(&header_);
    outer_.addSpacing(6);
    outer_.addLayout(&idRow_);
    outer_.addSpacing(6);
    outer_.addLayout(&body_, 1);
    outer_.addLayout(&bars_);
    setLayout(&outer_);

    setTabOrder(&txtID_[0], &txtID_[1]);
    setTabOrder(&txtID_[1], &cmdStart_);
    setTabOrder(&cmdStart_, &cmdStop_);
    setTabOrder(&cmdStop_, &cmdClose_);
    setTabOrder(&cmdClose_, &chkAll_);
    setTabOrder(&chkAll_, &btnMSel_);
    setTabOrder(&btnMSel_, &list1_);
    setTabOrder(&list1_, &txtLog_);
    setTabOrder(&txtLog_, &command1_);
    txtID_[0].setFocus();
    resize(820, 600);
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
    });
    QObject::connect(&list1_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (AcceptsInput() && row < model_.List1().ListCount()) model_.List1().SetListIndex(row);
    });
    QObject::connect(&chkAll_, &QCheckBox::clicked, this, [this](bool ticked) {
        if (AcceptsInput()) model_.SetChkAll(ticked);
    });
    QObject::connect(&btnMSel_, &QPushButton::clicked, this, [this] {
        if (AcceptsInput()) model_.btnMSel_Click();
    });
    QObject::connect(&cmdClose_, &QPushButton::clicked, this, [this] {
        if (AcceptsInput()) model_.cmdClose_Click();
    });
    QObject::connect(&cmdStart_, &QPushButton::clicked, this,
                     [this] { StartRun([](FrmMain& model) { model.cmdStart_Click(); }); });
    // From the window thread while the run works: the model cuts the run's connections.
    QObject::connect(&cmdStop_, &QPushButton::clicked, this, [this] {
        if (run_.Running()) model_.cmdStop_Click();
    });
    QObject::connect(&command1_, &QPushButton::clicked, this,
                     [this] { StartRun([](FrmMain& model) { model.Command1_Click(); }); });
    // Esc works the close button; while a run works the button is disabled and Esc does nothing.
    QObject::connect(&escape_, &QShortcut::activated, this, [this] {
        if (cmdClose_.isEnabled()) cmdClose_.click();
    });
    QObject::connect(&repairChord_, &QShortcut::activated, this, [this] { UnlockRepairCommand(); });
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
    if (view.parts & FrmMainView::kSelectAll) chkAll_.setChecked(view.selectAll);
    if (view.parts & FrmMainView::kLog) ApplyLog(view.log);
    if (view.parts & FrmMainView::kProgress) {
        for (int i = 0; i < 2; ++i) {
            const int max = BarUnits(view.bars[i].Max);
            progressBar1_[i].setRange(0, max);
            // The row count is taken before the copy; a busy source may give a few more.
            progressBar1_[i].setValue(std::min(BarUnits(view.bars[i].Value), max));
        }
    }
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
    if (log.size() >= shownLog_.size() && log.compare(0, shownLog_.size(), shownLog_) == 0) {
        // Appended at the end through a cursor of its own, whatever the user has selected.
        QTextCursor end(txtLog_.document());
        end.movePosition(QTextCursor::End);
        end.insertText(DisplayText(log.substr(shownLog_.size())));
        txtLog_.verticalScrollBar()->setValue(txtLog_.verticalScrollBar()->maximum());
    } else {
        txtLog_.setPlainText(DisplayText(log));
    }
    shownLog_ = log;
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
    run_.Start([this, operation = std::move(operation)] { operation(model_); }, [this] { RunEnded(); });
}

void FrmMainWindow::RunEnded() {
    ApplyPending();  // what the worker changed last
    // The worker has been joined: the model is the window thread's again.
    Apply(FrmMainView::Capture(model_, FrmMainView::kAll & ~FrmMainView::kFocus & ~FrmMainView::kUnloaded));
    SetInputsEnabled(true);
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
    cmdClose_.setEnabled(enabled);
    cmdStop_.setEnabled(!enabled);
    command1_.setEnabled(enabled && repairUnlocked_);
}
