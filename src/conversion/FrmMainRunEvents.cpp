// The conversion window model as the listener of the runs it starts: each event becomes
// the bars, list, log lines and message boxes the window has always shown, plus the
// rows' states, the status line, the summary and the saved record.
#include <algorithm>
#include <exception>

#include "common/MsgBox.h"
#include "conversion/CountText.h"
#include "conversion/FrmMain.h"
#include "conversion/RunPreparation.h"
#include "conversion/RunRecord.h"

std::string FrmMain::LocateCustomer(CustomerIndex index, RunEvents& events) {
    EventsForm told(*this, events);
    SetDBHost(index, locator_.LocateCustomerDB(told, index));
    return DBHost(index);
}

std::string FrmMain::RowStateText(int row) const {
    const TableOutcome* outcome = ledger_.OfRow(row);
    return outcome ? StateText(*outcome) : std::string();
}

namespace {
bool ToRetry(const TableOutcome* outcome) {
    return outcome && (outcome->state == TableState::Failed || outcome->state == TableState::Stopped ||
                       outcome->state == TableState::NotRun || outcome->state == TableState::Mismatch);
}
}  // namespace

bool FrmMain::HasRowsToRetry() const {
    for (const TableOutcome& outcome : ledger_.Tables())
        if (ToRetry(&outcome)) return true;
    return false;
}

int FrmMain::cmdRetryFailed_Click() {
    int selected = 0;
    for (int row = 0; row < list_.ListCount(); ++row) {
        const bool again = ToRetry(ledger_.OfRow(row));
        list_.SetSelected(row, again);
        selected += again ? 1 : 0;
    }
    Notify(Change::List);
    return selected;
}

void FrmMain::RunStarted(const std::vector<RunTable>& tables) {
    copyRunActive_ = true;
    explanation_.clear();
    runTables_ = tables;
    ledger_.Begin(tables);
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
    Notify(Change::Status);
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

// A table that lands leaves the bar full until another is in flight.
void FrmMain::ShowFlightsOnBar() {
    if (!ledger_.InFlight() || ledger_.InFlightTotal() <= 0) return;
    SetProgressMax(0, static_cast<float>(ledger_.InFlightTotal()));
    SetProgressValue(0, static_cast<float>(ledger_.InFlightDone()));
}

void FrmMain::TableFinished(const RunTable& table, std::int64_t rows, double seconds) {
    ledger_.Done(table, rows, seconds);
    ShowFlightsOnBar();
    journal_.Note(table.name + " 복사 끝 - 대상 " + std::to_string(rows) + "건");
    WriteLog(table.name + ": " + std::to_string(rows) + "건 복사");
    SetProgressValue(1, Progress(1).Value + 1);
    Notify(Change::Status);
}

void FrmMain::TableCarried(const RunTable& table, const std::string& path) {
    ledger_.Carried(table, path);
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
    // The bar of a table that failed shows what its target holds, never a full bar.
    if (!end.failedTable.empty())
        SetProgressValue(0, static_cast<float>(std::max<std::int64_t>(0, end.failedTableRows)));
    if (end.outcome == RunOutcome::NotConnected) {
        WriteLog("DB를 찾거나 열지 못해 아무 테이블도 복사하지 않았습니다.");
        if (!end.error.empty()) WriteLog("이유: " + end.error);
    } else {
        for (const std::string& line : ledger_.SummaryLines(end)) WriteLog(line);
    }
    if (!explanation_.empty()) WriteLog("[실패 설명]");
    for (const std::string& line : explanation_) WriteLog("  " + line);
    SaveRunRecord(end);
    Notify(Change::Status);
}

RunRecordFacts FrmMain::RecordFacts() const {
    RunRecordFacts facts;
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
        lastRecordPath_ = journal_.Finish(RecordFacts(), ledger_, end);
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
