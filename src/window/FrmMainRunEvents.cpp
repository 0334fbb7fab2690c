// The conversion window model as the listener of the runs it starts: each event becomes
// the bars, list, log lines and message boxes the window has always shown, plus the
// rows' states, the status line, the summary and the saved record.
#include <algorithm>
#include <exception>

#include "common/MsgBox.h"
#include "conversion/NumbersAndTimes.h"
#include "conversion/record/RunRecord.h"
#include "conversion/run/RunPreparation.h"
#include "window/FrmMain.h"

std::string FrmMain::LocateCustomer(CustomerIndex index, RunEvents& events) {
    EventsForm told(*this, events);
    SetDBHost(index, locator_.LocateCustomerDB(told, index));
    return DBHost(index);
}

namespace {

// Copied but not compared by the time the run ended (stopped, or another table failed).
bool CopiedUnverified(const TableOutcome& outcome, const RunStatus& status) {
    return status.ended && outcome.state == TableState::Done;
}

// Why a row is selected again, as 실패한 표부터 다시 says it; "" when it need not be.
std::string RetryReason(const TableOutcome* outcome, const RunStatus& status) {
    if (outcome && outcome->setAside) return "대상에 넣지 않음";
    if (!outcome || outcome->state == TableState::Verified) return {};
    if (CopiedUnverified(*outcome, status)) return "검증 안 됨";
    return StateText(*outcome);
}

// Names as a list line gives them: the first few, then how many more.
std::string SomeNames(const std::vector<std::string>& names, std::size_t shown = 5) {
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i) text += (i ? ", " : "") + names[i];
    if (names.size() > shown) text += " 외 " + std::to_string(names.size() - shown) + "개";
    return text;
}

}  // namespace

std::string FrmMain::RowStateText(int row) const {
    const TableOutcome* outcome = ledger_.OfRow(row);
    return outcome ? TableStateText(*outcome, ledger_.Status()) : std::string();
}

bool FrmMain::HasRowsToRetry() const {
    for (const TableOutcome& outcome : ledger_.Tables())
        if (!RetryReason(&outcome, ledger_.Status()).empty()) return true;
    return false;
}

int FrmMain::cmdRetryFailed_Click() {
    std::vector<std::string> named;
    for (int row = 0; row < list_.ListCount(); ++row) {
        const std::string why = RetryReason(ledger_.OfRow(row), ledger_.Status());
        list_.SetSelected(row, !why.empty());
        if (!why.empty()) named.push_back(list_.List(row) + "(" + why + ")");
    }
    Notify(Change::List);
    SyncSelection();
    retryNote_ = "실패한 표부터 다시: " + std::to_string(named.size()) + "개 선택 - " + SomeNames(named, 8) +
                 " · [시작]을 누르면 이 테이블만 복사합니다";
    Notify(Change::Status);
    return static_cast<int>(named.size());
}

bool FrmMain::SelectionWarning() const {
    const int selected = list_.SelCount();
    return idsChangedSinceSelection_ && selected > 0 && selected < list_.ListCount();
}

std::string FrmMain::SelectionLine() const {
    if (!retryNote_.empty()) return retryNote_;
    const int selected = list_.SelCount(), all = list_.ListCount();
    if (selected == 0) return "선택한 테이블이 없습니다 · 복사할 테이블을 고르세요";
    if (selected == all) return "선택한 테이블: " + std::to_string(all) + "개 모두";
    std::vector<std::string> names;
    for (int row = 0; row < all; ++row)
        if (list_.Selected(row)) names.push_back(list_.List(row));
    return std::string(SelectionWarning() ? "주의: ID가 바뀌었습니다. " : "") + std::to_string(all) + "개 중 " +
           std::to_string(selected) + "개 테이블만 선택되어 있습니다: " + SomeNames(names) +
           " · [시작]을 누르면 이 테이블만 복사합니다";
}

void FrmMain::RunStarted(const std::vector<RunTable>& tables) {
    copyRunActive_ = true;
    explanation_.clear();
    explanationHeading_.clear();
    retryNote_.clear();
    selectionNews_ = idsChangedSinceSelection_ = false;
    runTables_ = tables;
    ledger_.Begin(tables, runKind_ == RunKind::Verify);
    try {
        journal_.Begin(RecordFacts(), ledger_);
    } catch (const std::exception& e) {
        WriteLog(std::string("작업 기록을 만들지 못했습니다: ") + e.what());
    }
    Notify(Change::Status);
}

void FrmMain::HostsLocated() {
    for (CustomerIndex i = 0; i <= 1; ++i) SetLblIP(i, DBHost(i));
    if (!copyRunActive_) return;
    // The copy is about to begin: the bars and the log start afresh.
    SetProgressValue(0, 0);
    SetProgressValue(1, 0);
    // A bar with maximum 0 means nothing to most toolkits: keep it at least 1.
    SetProgressMax(1, static_cast<float>(std::max<std::size_t>(1, runTables_.size())));
    ClearLog();
}

void FrmMain::RowsEstimated(const std::vector<std::int64_t>& rows) {
    ledger_.Estimated(rows);
    ShowComparedOnBar();
    Notify(Change::Status);
}

void FrmMain::BytesEstimated(const std::vector<std::int64_t>& bytes) {
    ledger_.EstimatedBytes(bytes);
}

void FrmMain::StepStarted(const RunTable& table, RunStep step) {
    if (!table.name.empty()) SetCurrentRow(table.row);
    ledger_.Step(table, step);
    ShowFlightsOnBar();
    Notify(Change::Status);
}

void FrmMain::TableStarted(const RunTable& table, std::int64_t rowTotal) {
    SetCurrentRow(table.row);
    ledger_.Copying(table, rowTotal);
    journal_.Note(table.name + " 복사 시작");
    ShowFlightsOnBar();
    Notify(Change::Status);
}

void FrmMain::RowsCopied(const RunTable& table, std::int64_t rows) {
    ledger_.Copied(table, rows);
    AdvanceProgress(0, rows);
}

// The verify command's table bar: the rows compared out of all it compares, as its status line says.
void FrmMain::ShowComparedOnBar() {
    const RunStatus& status = ledger_.Status();
    if (!status.verifyOnly) return;
    SetProgressMax(0, static_cast<float>(std::max<std::int64_t>(1, status.rowsCompared + status.rowsToCompare)));
    SetProgressValue(0, static_cast<float>(status.rowsCompared));
}

// A table that lands leaves the bar full until another is in flight.
void FrmMain::ShowFlightsOnBar() {
    if (!ledger_.InFlight()) return;
    // Tables without rows: an empty bar, as their status line reads "0 / 0건".
    SetProgressMax(0, static_cast<float>(std::max<std::int64_t>(1, ledger_.InFlightTotal())));
    SetProgressValue(0, static_cast<float>(ledger_.InFlightDone()));
}

void FrmMain::TableFinished(const RunTable& table, std::int64_t rows, double seconds) {
    ledger_.Done(table, rows, seconds);
    ShowFlightsOnBar();
    journal_.Note(table.name + " 복사 끝 - 대상 " + GroupDigits(rows) + "건");
    WriteLog(table.name + ": " + std::to_string(rows) + "건 복사");
    SetProgressValue(1, Progress(1).Value + 1);
    Notify(Change::Status);
}

void FrmMain::TableCarried(const RunTable& table, const CopyOutcome& outcome) {
    ledger_.Carried(table, outcome.Path());
}

void FrmMain::TableFailed(const RunTable& table, const std::string& /*error*/) {
    SetCurrentRow(table.row);
    ledger_.Failed(table);
    ShowFlightsOnBar();
    journal_.Note(table.name + " 복사 끝 - 실패");
    Notify(Change::Status);
}

void FrmMain::TableVerifying(const RunTable& table) {
    SetCurrentRow(table.row);
    ledger_.Verifying(table);
    journal_.Note(table.name + " 검증 시작");
    Notify(Change::Status);
}

void FrmMain::TableVerified(const RunTable& table, const TableCheck& check) {
    // A table only verified, not copied, moves the overall bar here.
    const TableOutcome* outcome = ledger_.OfRow(table.row);
    if (outcome && outcome->state == TableState::Verifying) SetProgressValue(1, Progress(1).Value + 1);
    ledger_.Verified(table, check);
    ShowComparedOnBar();
    journal_.Note(table.name + " 검증 끝 - " + (check.match ? "검증됨" : "불일치") + " · " + CheckText(check));
    if (!check.match) WriteLog(table.name + ": 불일치 - " + DifferenceText(check));
    Notify(Change::Status);
}

void FrmMain::ServerSilent(ServerSide side, std::chrono::system_clock::time_point since) {
    ledger_.Silent(side, since);
    Notify(Change::Status);
}

int FrmMain::Question(const std::string& prompt, int style, const std::string& title) {
    return MsgBox(prompt, style, title);
}

void FrmMain::RunFinished(const RunEnd& end) {
    copyRunActive_ = false;
    ledger_.Finish(end);
    explanation_ = end.explanation;
    explanationHeading_ = explanation_.empty() ? "" : "[실패 설명]";
    if (end.outcome == RunOutcome::Stopped) {
        explanation_ = StopExplanation(end);
        explanationHeading_ = "[중지 설명]";
    } else if (end.verifyOnly && end.outcome == RunOutcome::Failed && explanation_.empty()) {
        explanation_ = DifferencesExplanation();
        if (!explanation_.empty()) explanationHeading_ = "[검증 설명]";
    }
    // The bar of a table that failed shows what its target holds, never a full bar.
    if (!end.failedTable.empty())
        SetProgressValue(0, static_cast<float>(std::max<std::int64_t>(0, end.failedTableRows)));
    if (end.outcome == RunOutcome::NotConnected) {
        WriteLog("DB를 찾거나 열지 못해 아무 테이블도 복사하지 않았습니다.");
        if (!end.error.empty()) WriteLog("이유: " + end.error);
    } else {
        for (const std::string& line : ledger_.SummaryLines(end)) WriteLog(line);
    }
    if (!explanation_.empty()) WriteLog(explanationHeading_);
    for (const std::string& line : explanation_) WriteLog("  " + line);
    SaveRunRecord(end);
    Notify(Change::Status);
}

RunRecordFacts FrmMain::RecordFacts() const {
    RunRecordFacts facts;
    facts.kind = runKind_;
    facts.user = signedInUser_;
    facts.computer = ComputerName();
    for (CustomerIndex i = 0; i <= 1; ++i) {
        facts.ids[i] = IdText(i);
        facts.databases[i] = DBName(i);
        facts.hosts[i] = DBHost(i);
    }
    return facts;
}

void FrmMain::SaveRunRecord(const RunEnd& end) {
    try {
        RunEnd told = end;
        told.explanation = explanation_;  // as the window explains it
        lastRecordPath_ = journal_.Finish(RecordFacts(), ledger_, told);
        WriteLog("작업 기록: " + lastRecordPath_);
    } catch (const std::exception& e) {
        lastRecordPath_.clear();
        WriteLog(std::string("작업 기록을 저장하지 못했습니다: ") + e.what());
    }
}

std::string FrmMain::SavedLogHeader() const {
    const bool ran = ledger_.Status().begun;
    std::string header = std::string(kSettingsApp) + " 작업 진행 로그\n";
    for (const std::string& line : RunFactsLines(RecordFacts(), ran ? LocalTimeText(ledger_.StartTime()) : "(작업 전)"))
        header += line + "\n";
    return header + "\n";
}

std::string FrmMain::SavedLogName() const {
    const auto time = ledger_.Status().begun ? ledger_.StartTime() : std::chrono::system_clock::now();
    return "작업로그_" + LocalTimeStamp(time) + "_" + FileNamePart(IdText(0)) + "_" + FileNamePart(IdText(1)) + ".txt";
}

// A stop is the user's own: no fault to explain, but where every table stands and how to go on.
std::vector<std::string> FrmMain::StopExplanation(const RunEnd& end) const {
    std::vector<std::string> stopped, unverified, notRun;
    int finished = 0;
    for (const TableOutcome& outcome : ledger_.Tables()) {
        const std::string& name = outcome.table.name;
        if (outcome.state == TableState::Stopped)
            stopped.push_back(name);
        else if (CopiedUnverified(outcome, ledger_.Status()))
            unverified.push_back(name);
        else if (outcome.state == TableState::NotRun)
            notRun.push_back(name);
        else if (outcome.state == TableState::Verified)
            ++finished;
    }
    std::vector<std::string> lines{end.verifyOnly ? "중지: [중지]를 눌러 검증을 멈췄습니다 (오류가 아닙니다)"
                                                  : "중지: [중지]를 눌러 작업을 멈췄습니다 (오류가 아닙니다)"};
    if (!stopped.empty() && !end.verifyOnly) {
        std::string held = "대상에는 이 테이블의 행이 일부만 들어 있습니다";
        if (stopped.size() == 1 && !end.targetTouched) held = "대상 테이블은 건드리지 않았습니다";
        if (end.failedTableRows >= 0)
            held += " (" + end.failedTable + ": 지금 " + GroupDigits(end.failedTableRows) + "건)";
        lines.push_back("중지된 테이블 " + std::to_string(stopped.size()) + "개: " + SomeNames(stopped, 10) + " - " +
                        held);
    } else if (!stopped.empty()) {
        lines.push_back("검증하지 못한 테이블: " + SomeNames(stopped, 10));
    }
    if (!unverified.empty())
        lines.push_back("복사했지만 검증하지 못한 테이블 " + std::to_string(unverified.size()) +
                        "개: " + SomeNames(unverified, 10));
    lines.push_back(std::string(end.verifyOnly ? "검증이 끝나 원본과 같은 테이블: " : "복사와 검증을 마친 테이블: ") +
                    std::to_string(finished) + "개 (그대로 둡니다)");
    if (!notRun.empty())
        lines.push_back("실행하지 않은 테이블 " + std::to_string(notRun.size()) +
                        "개 (대상은 그대로입니다): " + SomeNames(notRun));
    const std::size_t again = stopped.size() + unverified.size() + notRun.size();
    if (again > 0)
        lines.push_back("다음 할 일: '실패한 표부터 다시'를 누르면 남은 " + std::to_string(again) +
                        "개 테이블이 선택됩니다. " +
                        (end.verifyOnly ? "[검증]을 누르면 이어서 검증합니다."
                                        : "[시작]을 누르면 그 테이블만 처음부터 다시 복사하고 검증합니다."));
    return lines;
}

// What the verify command found different, and what to do about it.
std::vector<std::string> FrmMain::DifferencesExplanation() const {
    std::vector<std::string> lines;
    for (const TableOutcome& outcome : ledger_.Tables())
        if (outcome.state == TableState::Mismatch)
            lines.push_back("원본과 다름: " + outcome.table.name + " - " + DifferenceText(outcome.check));
    if (lines.empty()) return lines;
    lines.push_back(
        "다음 할 일: 원본이 복사한 뒤에 바뀌지 않았다면 '실패한 표부터 다시'로 다른 테이블을 선택하고 [시작]으로 "
        "다시 복사하세요. 복사가 끝나면 다시 검증합니다.");
    return lines;
}
