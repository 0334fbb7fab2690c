// The conversion window's controls (names, captions, tooltips) and where they sit.
#include <QFont>

#include "gui/FrmMainWindow.h"
#include "gui/KoreanUi.h"

namespace {

void PlainLabel(QLabel& label, const char* name, const char* caption) {
    label.setObjectName(QString::fromLatin1(name));
    label.setTextFormat(Qt::PlainText);
    label.setText(QString::fromUtf8(caption));
}

}  // namespace

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
        lblIP_[i].setFont(FiguresFont());
    }
    txtID_[0].setToolTip(QStringLiteral("누리온Tarn(원본) 고객 아이디: 자료를 가져올 곳"));
    txtID_[1].setToolTip(QStringLiteral("누리온Velm(대상) 고객 아이디: 자료를 넣을 곳"));
    lblIP_[0].setToolTip(QStringLiteral("원본(Tarn) DB가 있는 서버 주소 (시작하면 찾습니다)"));
    lblIP_[1].setToolTip(QStringLiteral("대상(Velm) DB가 있는 서버 주소 (시작하면 찾습니다)"));
    PlainLabel(lblArrow_, "lblArrow", "→");
    QFont arrowFont = lblArrow_.font();
    arrowFont.setBold(true);
    arrowFont.setPointSize(arrowFont.pointSize() + 5);
    lblArrow_.setFont(arrowFont);

    cmdStart_.setObjectName(QStringLiteral("cmdStart"));
    cmdStart_.setText(QStringLiteral("시작"));
    PlainLabel(lblSelCount_, "lblSelCount", "");
    lblSelCount_.setFont(FiguresFont());
    // Its text changes with every click in the list: its width does not.
    lblSelCount_.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblSelCount_.setAlignment(Qt::AlignCenter);
    lblSelCount_.setToolTip(QStringLiteral("시작하면 복사할 테이블 수 (목록에서 선택한 것)"));
    cmdVerify_.setObjectName(QStringLiteral("cmdVerify"));
    cmdVerify_.setText(QStringLiteral("검증"));
    cmdVerify_.setToolTip(QStringLiteral("선택한 테이블이 원본과 같은지 검사합니다 (아무것도 바꾸지 않음)"));
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
    btnMSel_.setToolTip(QStringLiteral("현재 줄부터 아래 모두 선택"));

    list1_.setObjectName(QStringLiteral("List1"));
    // Clicking a row toggles it, as in a list with simple multiple selection: the
    // catalogue starts fully selected, and a click must not throw that selection away.
    list1_.setSelectionMode(QAbstractItemView::MultiSelection);
    // Wide enough for a table name and its state ("완료 1,234,567건 12.3초") side by side.
    list1_.setItemDelegate(&rowStates_);
    list1_.setMinimumWidth(300);
    list1_.setMaximumWidth(340);

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
    txtLog_.setContextMenuPolicy(Qt::CustomContextMenu);
    txtLog_.setTabChangesFocus(true);  // Tab leaves the log: it is read, not typed into
    cmdSaveLog_.setObjectName(QStringLiteral("cmdSaveLog"));
    cmdSaveLog_.setText(QStringLiteral("로그 저장…"));
    cmdSaveLog_.setToolTip(QStringLiteral("작업 진행 로그를 파일로 저장합니다"));
    cmdHistory_.setObjectName(QStringLiteral("cmdHistory"));
    cmdHistory_.setText(QStringLiteral("작업 기록…"));
    cmdHistory_.setToolTip(QStringLiteral("지난 작업들의 기록을 봅니다 (언제, 누구의 자료, 결과)"));

    PlainLabel(label2Current_, "Label2_6", "현재:");
    PlainLabel(label2Total_, "Label2_7", "전체:");
    for (int i = 0; i < 2; ++i) {
        progressBar1_[i].setObjectName(QStringLiteral("ProgressBar1_%1").arg(i));
        progressBar1_[i].setTextVisible(false);  // until a run has started
        progressBar1_[i].setRange(0, 100);
        progressBar1_[i].setValue(0);
    }
    progressBar1_[0].setFormat(QStringLiteral("%p%"));
    progressBar1_[1].setFormat(QStringLiteral("%v / %m 테이블"));
    lblStatus_.setObjectName(QStringLiteral("lblStatus"));
    lblStatus_.setTextFormat(Qt::PlainText);
    lblStatus_.setFont(FiguresFont());
    lblStatus_.setAccessibleName(QStringLiteral("진행 상황"));
    // However long the line grows, the window keeps its width: the text is cut to fit.
    lblStatus_.setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblStatus_.setMinimumWidth(1);
    for (QProgressBar& bar : progressBar1_) bar.setFont(FiguresFont());

    lblFailure_.setObjectName(QStringLiteral("lblFailure"));
    lblFailure_.setTextFormat(Qt::PlainText);
    lblFailure_.setWordWrap(true);
    lblFailure_.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblFailure_.setAccessibleName(QStringLiteral("실패 설명"));
    lblFailure_.setStyleSheet(
        QStringLiteral("QLabel { background: #fff0f0; color: #8b0000; border: 2px solid #b40000; "
                       "padding: 4px; }"));
    lblFailure_.hide();
    cmdRetryFailed_.setObjectName(QStringLiteral("cmdRetryFailed"));
    cmdRetryFailed_.setText(QStringLiteral("실패한 표부터 다시"));
    cmdRetryFailed_.setToolTip(QStringLiteral(
        "지난 작업에서 복사와 검증을 다 마치지 못한 테이블만 선택합니다 (실패, 중지, 검증 안 됨, 실행 안 함)"));
    cmdRetryFailed_.setEnabled(false);

    // The control with the keyboard focus stands out clearly, whatever the style draws.
    setStyleSheet(
        QStringLiteral("QPushButton:focus { border: 2px solid #1a5fb4; border-radius: 3px; "
                       "background: #e3edfb; padding: 3px 10px; }"
                       "QCheckBox:focus { border: 2px solid #1a5fb4; border-radius: 3px; padding: 1px; }"));
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
    idRow_.addWidget(&cmdVerify_, 0, 6);
    idRow_.addWidget(&cmdStop_, 0, 7);
    idRow_.addWidget(&cmdClose_, 0, 8);
    idRow_.addWidget(&lblIP_[0], 1, 1);
    idRow_.addWidget(&lblIP_[1], 1, 3);
    // Under 시작 and 검증: how many tables they would take.
    idRow_.addWidget(&lblSelCount_, 1, 5, 1, 2);
    idRow_.setColumnMinimumWidth(1, 150);
    idRow_.setColumnMinimumWidth(3, 150);

    // The list on the left and the log on its right, in one row so both get the same height.
    listTools_.addWidget(&chkAll_);
    listTools_.addStretch(1);
    listTools_.addWidget(&cmdRetryFailed_);
    listTools_.addWidget(&btnMSel_);
    logTools_.addWidget(&label2Log_);
    logTools_.addStretch(1);
    logTools_.addWidget(&cmdHistory_);
    logTools_.addWidget(&cmdSaveLog_);
    body_.addLayout(&listTools_, 0, 0);
    body_.addLayout(&logTools_, 0, 1);
    body_.addWidget(&list1_, 1, 0);
    body_.addWidget(&txtLog_, 1, 1);
    body_.setColumnStretch(1, 1);
    body_.setRowStretch(1, 1);

    bars_.addWidget(&label2Current_, 0, 0);
    bars_.addWidget(&progressBar1_[0], 0, 1);
    bars_.addWidget(&label2Total_, 1, 0);
    bars_.addWidget(&progressBar1_[1], 1, 1);
    bars_.addWidget(&lblStatus_, 2, 1);
    bars_.setColumnStretch(1, 1);

    outer_.addLayout(&header_);
    outer_.addSpacing(6);
    outer_.addLayout(&idRow_);
    outer_.addSpacing(6);
    outer_.addLayout(&body_, 1);
    outer_.addWidget(&lblFailure_);
    outer_.addLayout(&bars_);
    setLayout(&outer_);

    setTabOrder(&txtID_[0], &txtID_[1]);
    setTabOrder(&txtID_[1], &cmdStart_);
    setTabOrder(&cmdStart_, &cmdVerify_);
    setTabOrder(&cmdVerify_, &cmdStop_);
    setTabOrder(&cmdStop_, &cmdClose_);
    setTabOrder(&cmdClose_, &chkAll_);
    setTabOrder(&chkAll_, &cmdRetryFailed_);
    setTabOrder(&cmdRetryFailed_, &btnMSel_);
    setTabOrder(&btnMSel_, &list1_);
    setTabOrder(&list1_, &cmdHistory_);
    setTabOrder(&cmdHistory_, &cmdSaveLog_);
    setTabOrder(&cmdSaveLog_, &txtLog_);
    setTabOrder(&txtLog_, &command1_);
    txtID_[0].setFocus();
    resize(820, 600);
}
