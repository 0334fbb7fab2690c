// The conversion window model as the listener of the runs it starts: each event becomes
// the bars, list, log lines and message boxes the window has always shown, plus the
// rows' states, the status line, the summary and the saved record.
#include <algorithm>
#include <exception>

#include "common/MsgBox.h"
#include "conversion/CountText.h"
#include "conversion/FrmMain.h"
#include "conversion/RunRecord.h"

std::string FrmMain::LocateCustomer(CustomerIndex index) {
    SetDBHost(index, LocateCustomerDB(index));
    return DBHost(index);
}

std::string FrmMain::RowStateText(int row) const {
    const TableOutcome* outcome = ledger_.OfRow(row);
    return outcome ? StateText(*outcome) : std::string();
}

void FrmMain::RunStarted(const std::vector<RunTable>& tables) {
    copyRunActive_ = true;
    runTables_ = tables;
    ledger_.Begin(tables);
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

void FrmMain::TableStarted(const RunTable& table, std::int64_t rowTotal) {
    SetCurrentRow(table.row);
    ledger_.Copying(table, rowTotal);
    if (rowTotal > 0) {
        SetProgressMax(0, static_cast<float>(rowTotal));
        SetProgressValue(0, 0);
    }
    Notify(Change::Status);
}

void FrmMain::TableFinished(const RunTable& table, std::int64_t rows, double seconds) {
    ledger_.Done(table, rows, seconds);
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
    Notify(Change::Status);
}

int FrmMain::Question(const std::string& prompt, int style, const std::string& title) {
    return MsgBox(prompt, style, title);
}

void FrmMain::RunFinished(const RunEnd& end) {
    copyRunActive_ = false;
    ledger_.Finish(end);
    if (end.outcome == RunOutcome::NotConnected)
        WriteLog("DB를 찾거나 열지 못해 아무 테이블도 복사하지 않았습니다.");
    else
        for (const std::string& line : ledger_.SummaryLines(end)) WriteLog(line);
    SaveRunRecord(end);
    Notify(Change::Status);
}

void FrmMain::SaveRunRecord(const RunEnd& end) {
    RunRecordFacts facts;
    facts.user = signedInUser_;
    facts.computer = ComputerName();
    for (CustomerIndex i = 0; i <= 1; ++i) {
        facts.ids[i] = IdText(i);
        facts.databases[i] = DBName(i);
        facts.hosts[i] = DBHost(i);
    }
    try {
        lastRecordPath_ = WriteRunRecord(facts, ledger_, end);
        WriteLog("작업 기록: " + lastRecordPath_);
    } catch (const std::exception& e) {
        lastRecordPath_.clear();
        WriteLog(std::string("작업 기록을 저장하지 못했습니다: ") + e.what());
    }
}
