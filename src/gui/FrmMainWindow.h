#pragma once
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "gui/FrmMainView.h"
#include "gui/RowStateDelegate.h"
#include "gui/RunHistoryDialog.h"
#include "gui/RunThread.h"
#include "window/FrmMain.h"

// The conversion window: widgets bound to the FrmMain model. User input goes to the
// model's handlers; the model's changes come back as copies (FrmMainView) and are
// painted on the window's thread. A conversion run or the repair command works on a
// worker thread; meanwhile the inputs are inert, 중지 stops the run, and closing the
// window asks whether to stop it first.
class FrmMainWindow : public QWidget {
public:
    explicit FrmMainWindow(FrmMain& model, QWidget* parent = nullptr);
    ~FrmMainWindow() override;
    FrmMainWindow(const FrmMainWindow&) = delete;
    FrmMainWindow& operator=(const FrmMainWindow&) = delete;

    // Loads the model (Form_Load), shows what it holds, and shows the window.
    void LoadAndShow();

    // True while a run or the repair command works.
    bool RunWorking() const { return run_.Running(); }

    // The supervisor's way to the parent-link repair: enables `Command1` (also bound to
    // Ctrl+Shift+F12). The command still explains itself and asks before it starts.
    void UnlockRepairCommand();

    // Called on the window thread each time a run or the repair command has ended.
    void SetRunFinishedCallback(std::function<void()> callback) { runFinished_ = std::move(callback); }

    static constexpr QKeyCombination kRepairChord{Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F12};

protected:
    void closeEvent(QCloseEvent* event) override;
    // The status line is cut to the window's width, never the other way round.
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildControls();
    void BuildLayout();
    void Connect();

    void OnModelChange(FrmMain::Change change);
    void ApplyPending();
    void Apply(const FrmMainView& view);
    void ApplyList(const FrmMainView& view);
    void ApplyLog(const std::string& log);
    void AppendLog(const QString& text);
    void ApplyFailure(const FrmMainView& view);
    void ApplyFocus();
    void ApplyStatus(const FrmMainView& view);
    void ShowStatusLine();
    void ShowSelectionCount();
    void ShowHistory();
    void ShowLogMenu(const QPoint& position);
    void SaveLog();

    void StartRun(std::function<void(FrmMain&)> operation);
    void RunEnded();
    void SetInputsEnabled(bool enabled);
    bool AcceptsInput() const { return !syncing_ && !run_.Running(); }

    FrmMain& model_;
    RowStateDelegate rowStates_;  // before the list that paints with it

    // Controls, named after the model's controls.
    QLabel label1Heading_;  // Label1(0)
    QLabel label1Step1_;    // Label1(2)
    QLabel label1Step2_;    // Label1(4)
    QLabel label1IdRow_;    // Label1(3)
    std::array<QLineEdit, 2> txtID_;
    QLabel lblArrow_;
    std::array<QLabel, 2> lblIP_;
    QPushButton cmdStart_;
    QLabel lblSelCount_;     // beside 시작: how many of the 80 rows it would copy
    QPushButton cmdVerify_;  // 검증: compares the selected tables with their sources
    QPushButton cmdClose_;
    QPushButton cmdStop_;  // 중지: enabled only while a run works
    QPushButton command1_;
    QCheckBox chkAll_;
    QPushButton btnMSel_;
    QListWidget list1_;
    QLabel label2Log_;
    QPushButton cmdSaveLog_;  // 로그 저장…: the visible log to a file of the user's choice
    QPushButton cmdHistory_;  // 작업 기록…: the latest runs' records, each readable
    QPlainTextEdit txtLog_;
    QLabel label2Current_;
    QLabel label2Total_;
    std::array<QProgressBar, 2> progressBar1_;
    QLabel lblStatus_;            // the table being copied, rows done of its total, elapsed time, rows per second
    QLabel lblFailure_;           // the last run's failure in plain Korean; hidden when it did not fail
    QPushButton cmdRetryFailed_;  // 실패한 표부터 다시: selects the rows the last run did not finish

    // Layouts: the outer one first, so that the inner ones (destroyed before it, in
    // reverse order) leave it before it would delete them.
    QVBoxLayout outer_;
    QHBoxLayout header_;
    QVBoxLayout procedure_;
    QGridLayout idRow_;
    QGridLayout body_;
    QHBoxLayout listTools_;
    QHBoxLayout logTools_;
    QGridLayout bars_;

    QShortcut escape_;
    QShortcut repairChord_;
    QTimer statusTicker_;  // the elapsed time moves on while a table copies slowly

    bool syncing_ = false;         // the window is painting the model: widget signals are not user input
    bool repairUnlocked_ = false;  // Command1 offered by the supervisor chord
    bool closeAfterRun_ = false;   // the user chose to stop the run and close the window
    std::string shownLog_;         // the log text the log box shows, in the model's form
    std::string focusRequest_;     // the control the model last asked to focus
    RunStatus shownStatus_;        // the run status the status line shows
    std::string shownSelection_;   // between runs: what a 시작 would copy
    bool selectionNews_ = true;    // the status line shows shownSelection_
    bool selectionWarning_ = false;
    bool logInSummary_ = false;        // the log's last lines are the run's summary
    bool retryable_ = false;           // the last run left rows for 실패한 표부터 다시
    std::string logHeader_, logName_;  // for a log saved while a run works
    float shownTableRows_ = 0;         // the current table's rows done, as the bar shows them
    std::function<void()> runFinished_;

    // Changes a worker made, waiting for the window thread.
    std::mutex pendingMutex_;
    FrmMainView pending_;
    bool applyScheduled_ = false;

    std::unique_ptr<RunHistoryDialog> history_;  // made when first asked for

    RunThread run_;  // last: joined before anything it may reach goes away
};
