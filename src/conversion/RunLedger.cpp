#include "conversion/RunLedger.h"

#include "conversion/CountText.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

double SecondsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A report may span lines; a log line may not.
std::string OneLine(std::string text) {
    for (std::size_t at = text.find_first_of("\r\n"); at != std::string::npos; at = text.find_first_of("\r\n", at)) {
        const std::size_t width = text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
        text.replace(at, width, " ");
    }
    return text;
}

std::string TableCondition(const RunEnd& end) {
    if (end.outcome == RunOutcome::Stopped) return "복사가 끝나지 않음 - 다시 시작하면 처음부터 다시 복사합니다";
    return end.targetTouched ? "대상 테이블을 비운 뒤 실패 - 실패한 행 앞의 행만 들어 있습니다"
                             : "대상 테이블은 건드리지 않았습니다";
}

}  // namespace

std::string RunStatus::Line(std::int64_t tableRowsDone, SteadyClock::time_point now) const {
    if (!begun) return {};
    const SteadyClock::time_point until = ended ? finished : now;
    const double elapsed = SecondsBetween(started, until);
    const std::int64_t rows = rowsBefore + (table.empty() ? 0 : tableRowsDone);
    std::string line;
    if (!table.empty())
        line = table + " 복사 중: " + GroupDigits(tableRowsDone) + " / " + GroupDigits(tableTotal) + "건 · ";
    else if (ended)
        line = "끝남: 모두 " + GroupDigits(rows) + "건 · ";
    line += "경과 " + DurationText(elapsed);
    if (elapsed >= 1)
        line += " · 초당 " + GroupDigits(static_cast<std::int64_t>(static_cast<double>(rows) / elapsed)) + "건";
    return line;
}

void RunLedger::Begin(const std::vector<RunTable>& tables) {
    tables_.clear();
    for (const RunTable& table : tables) tables_.push_back({table, TableState::Waiting, 0, 0, {}});
    status_ = RunStatus{};
    status_.begun = true;
    status_.started = SteadyClock::now();
    startTime_ = SystemClock::now();
    endTime_ = startTime_;
}

TableOutcome* RunLedger::Find(const RunTable& table) {
    for (TableOutcome& outcome : tables_)
        if (outcome.table.row == table.row && outcome.table.name == table.name) return &outcome;
    return nullptr;
}

const TableOutcome* RunLedger::OfRow(int row) const {
    for (const TableOutcome& outcome : tables_)
        if (outcome.table.row == row) return &outcome;
    return nullptr;
}

void RunLedger::Copying(const RunTable& table, std::int64_t total) {
    if (TableOutcome* outcome = Find(table)) {
        outcome->state = TableState::Copying;
        outcome->rows = total;
    }
    status_.table = table.name;
    status_.tableTotal = total;
}

void RunLedger::Done(const RunTable& table, std::int64_t rows, double seconds) {
    if (TableOutcome* outcome = Find(table)) {
        outcome->state = TableState::Done;
        outcome->rows = rows;
        outcome->seconds = seconds;
    }
    status_.rowsBefore += rows;
    status_.table.clear();
}

void RunLedger::Carried(const RunTable& table, const std::string& path) {
    if (TableOutcome* outcome = Find(table)) outcome->path = path;
}

void RunLedger::Failed(const RunTable& table) {
    if (TableOutcome* outcome = Find(table)) outcome->state = TableState::Failed;
    status_.table.clear();
}

void RunLedger::Finish(const RunEnd& end) {
    // The table the run ended in may not have reached its first row yet.
    bool endedIn = false;
    for (TableOutcome& outcome : tables_) {
        const bool open = outcome.state == TableState::Copying || outcome.state == TableState::Waiting;
        if (open && !endedIn && (outcome.state == TableState::Copying || outcome.table.name == end.failedTable)) {
            endedIn = true;
            outcome.state = end.outcome == RunOutcome::Stopped ? TableState::Stopped : TableState::Failed;
        } else if (open) {
            outcome.state = TableState::NotRun;
        }
    }
    status_.table.clear();
    status_.ended = true;
    status_.finished = SteadyClock::now();
    endTime_ = SystemClock::now();
}

int RunLedger::Count(TableState state) const {
    int count = 0;
    for (const TableOutcome& outcome : tables_) count += outcome.state == state ? 1 : 0;
    return count;
}

std::vector<std::string> RunLedger::SummaryLines(const RunEnd& end) const {
    if (end.outcome == RunOutcome::Declined)
        return {"복사될 곳의 [" + end.declinedLabel + "] 테이블에 자료가 있어(" + GroupDigits(end.declinedCount) +
                "건) 아니요를 선택했습니다. 아무 테이블도 복사하지 않았습니다."};
    std::int64_t rows = 0;
    for (const TableOutcome& outcome : tables_) rows += outcome.state == TableState::Done ? outcome.rows : 0;
    std::string tables = "테이블: 복사 " + std::to_string(Count(TableState::Done)) + "개, 실패 " +
                         std::to_string(Count(TableState::Failed)) + "개, ";
    if (const int stopped = Count(TableState::Stopped); stopped > 0)
        tables += "중지 " + std::to_string(stopped) + "개, ";
    tables += "실행 안 함 " + std::to_string(Count(TableState::NotRun)) + "개";
    std::vector<std::string> lines{
        "[작업 요약] 결과: " + OutcomeText(end.outcome),
        tables,
        "복사한 행: " + GroupDigits(rows) + "건",
        "시작: " + LocalTimeText(startTime_) + ", 끝: " + LocalTimeText(endTime_) +
            ", 걸린 시간: " + DurationText(SecondsBetween(status_.started, status_.finished)),
    };
    if (!end.failedTable.empty())
        lines.push_back((end.outcome == RunOutcome::Stopped ? "중지한 테이블: " : "실패한 테이블: ") + end.failedTable +
                        " (" + TableCondition(end) + ")");
    if (!end.error.empty()) lines.push_back("오류: " + OneLine(end.error));
    return lines;
}

std::string StateText(const TableOutcome& outcome) {
    switch (outcome.state) {
        case TableState::Waiting:
            return "대기";
        case TableState::Copying:
            return "복사 중";
        case TableState::Done:
            return "완료 " + GroupDigits(outcome.rows) + "건 " + DurationText(outcome.seconds);
        case TableState::Failed:
            return "실패";
        case TableState::Stopped:
            return "중지됨";
        case TableState::NotRun:
            return "실행 안 함";
    }
    return {};
}

std::string OutcomeText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return "완료";
        case RunOutcome::Failed:
            return "실패";
        case RunOutcome::Stopped:
            return "중지";
        case RunOutcome::Declined:
            return "취소(아니요)";
        case RunOutcome::NotConnected:
            return "DB 연결 안 됨";
    }
    return {};
}
