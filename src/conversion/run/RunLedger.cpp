#include "conversion/run/RunLedger.h"

#include <algorithm>

#include "common/MsgBox.h"
#include "conversion/NumbersAndTimes.h"

namespace {

using SteadyClock = std::chrono::steady_clock;
using SystemClock = std::chrono::system_clock;

// A report may span lines; a log line may not.
std::string OneLine(std::string text) {
    for (std::size_t at = text.find_first_of("\r\n"); at != std::string::npos; at = text.find_first_of("\r\n", at)) {
        const std::size_t width = text.compare(at, 2, "\r\n") == 0 ? 2 : 1;
        text.replace(at, width, " ");
    }
    return text;
}

std::string TableCondition(bool stopped, bool targetTouched) {
    if (stopped) return "복사가 끝나지 않음 - 다시 시작하면 처음부터 다시 복사합니다";
    return targetTouched ? "대상 테이블을 비운 뒤 실패 - 실패한 행 앞의 행만 들어 있습니다"
                         : "대상 테이블은 건드리지 않았습니다";
}

std::string ServerName(ServerSide side) {
    switch (side) {
        case ServerSide::Source:
            return "원본(Tarn) 서버";
        case ServerSide::Target:
            return "대상(Velm) 서버";
        case ServerSide::Both:
            return "원본(Tarn)·대상(Velm) 서버";
        case ServerSide::None:
            break;
    }
    return {};
}

}  // namespace

double RunStatus::Elapsed(SteadyClock::time_point now) const {
    const SteadyClock::duration boxes = (ended ? boxesAtEnd : TimeInMessageBoxes()) - boxesAtStart;
    return std::max(0.0,
                    SecondsBetween(started, ended ? finished : now) - std::chrono::duration<double>(boxes).count());
}

std::string RunStatus::Line(std::int64_t tableRowsDone, SteadyClock::time_point now) const {
    if (!begun) return {};
    if (verifyOnly) return VerifyLine(now);
    const double elapsed = Elapsed(now);
    const std::int64_t rows = rowsBefore + (table.empty() ? 0 : tableRowsDone);
    std::string line;
    if (!table.empty())
        line = table + " 복사 중: " + GroupDigits(tableRowsDone) + " / " + GroupDigits(tableTotal) + "건 · ";
    else if (ended)
        line = "끝남: 모두 " + GroupDigits(rows) + "건 · ";
    else if (!step.empty())
        line = step + " · ";
    line += "경과 " + DurationText(elapsed);
    if (!ended && !silence.empty()) line += " · " + silence;
    const double pace = Pace(rows, now);
    if (elapsed >= 1) line += " · 초당 " + GroupDigits(static_cast<std::int64_t>(pace)) + "건";
    if (ended) return line;
    double onLanes = 0;
    const double left = timeLeft.SecondsLeft(tableRowsDone, now, &onLanes);
    if (left < 0) return line + " · 남은 시간 계산 중";
    line += " · 남은 시간: ";
    if (!table.empty())
        line += std::string(tablesInFlight > 1 ? "진행 중인 테이블 " : "이 테이블 ") + DurationText(onLanes) + ", ";
    return line + "전체 약 " + DurationText(left);
}

// "customer 검증 중 · 비교한 행 12,345 / 약 160,000건 (테이블 3 / 80개) · 경과 2.0초 · 초당 6,172건 ·
// 남은 시간: 약 24.0초"; at the end "끝남: 테이블 80개, 행 160,000건 비교 · 경과 ...".
std::string RunStatus::VerifyLine(SteadyClock::time_point now) const {
    const double elapsed = Elapsed(now);
    std::string line;
    if (ended)
        line = "끝남: 테이블 " + std::to_string(tablesCompared) + "개, 행 " + GroupDigits(rowsCompared) + "건 비교 · ";
    else if (!comparing.empty())
        line = comparing + " 검증 중 · 비교한 행 " + GroupDigits(rowsCompared) + " / 약 " +
               GroupDigits(rowsCompared + rowsToCompare) + "건 (테이블 " + std::to_string(tablesCompared) + " / " +
               std::to_string(tables) + "개) · ";
    else if (!step.empty())
        line = step + " · ";
    line += "경과 " + DurationText(elapsed);
    if (!ended && !silence.empty()) line += " · " + silence;
    if (elapsed >= 1) line += " · 초당 " + GroupDigits(static_cast<std::int64_t>(Pace(rowsCompared, now))) + "건";
    if (ended) return line;
    const double left = timeLeft.SecondsLeft(0, now);
    return line + (left < 0 ? " · 남은 시간 계산 중" : " · 남은 시간: 약 " + DurationText(left));
}

// The pace counts from the first copied (or compared) row, leaving out the boxes open since then.
double RunStatus::Pace(std::int64_t rows, SteadyClock::time_point now) const {
    const double copyingFor =
        copying == SteadyClock::time_point{}
            ? 0
            : SecondsBetween(copying, ended ? finished : now) -
                  std::chrono::duration<double>((ended ? boxesAtEnd : TimeInMessageBoxes()) - boxesAtCopying).count();
    return copyingFor > 0 ? static_cast<double>(rows) / copyingFor : 0;
}

double RunStatus::SecondsLeft(std::int64_t tableRowsDone, SteadyClock::time_point now) const {
    return ended ? -1 : timeLeft.SecondsLeft(verifyOnly ? 0 : tableRowsDone, now);
}

void RunLedger::Begin(const std::vector<RunTable>& tables, bool verifyOnly) {
    tables_.clear();
    for (const RunTable& table : tables) {
        TableOutcome outcome;
        outcome.table = table;
        tables_.push_back(std::move(outcome));
    }
    flights_.clear();
    status_ = RunStatus{};
    status_.begun = true;
    status_.started = SteadyClock::now();
    status_.boxesAtStart = TimeInMessageBoxes();
    status_.verifyOnly = verifyOnly;
    status_.tables = static_cast<int>(tables.size());
    status_.timeLeft.Begin(tables.size(), verifyOnly, status_.started);
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

void RunLedger::Silent(ServerSide side, SystemClock::time_point since) {
    status_.silence.clear();
    if (side != ServerSide::None)
        status_.silence = ServerName(side) + "가 " + LocalTimeText(since).substr(11) +
                          "부터 응답하지 않습니다 - 기다리는 중이며, 중지를 누르면 기다림을 끝냅니다";
}

void RunLedger::Estimated(const std::vector<std::int64_t>& rows) {
    for (std::size_t i = 0; i < rows.size() && i < tables_.size(); ++i) {
        tables_[i].estimate = rows[i];
        status_.timeLeft.Rows(i, rows[i]);
    }
    status_.rowsWaiting = WaitingRows();
    CountToCompare();
}

void RunLedger::EstimatedBytes(const std::vector<std::int64_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size() && i < tables_.size(); ++i) status_.timeLeft.Bytes(i, bytes[i]);
}

// The verify command's rows still to compare: the estimates of the tables not compared yet.
void RunLedger::CountToCompare() {
    status_.rowsToCompare = 0;
    for (const TableOutcome& outcome : tables_) status_.rowsToCompare += outcome.checked ? 0 : outcome.estimate;
}

void RunLedger::Step(const RunTable& table, RunStep step) {
    static constexpr const char* kSteps[] = {"시작 전 점검 중: 테이블 구조 확인",
                                             "대상 테이블 비우는 중",
                                             "원본 행 수 세는 중",
                                             "상위 연결 다시 잇는 중",
                                             "새 테이블 만드는 중",
                                             "새 테이블로 바꿔 넣는 중",
                                             "새 테이블의 색인 만드는 중"};
    const std::string what = kSteps[static_cast<int>(step)];
    status_.step = table.name.empty() ? what : table.name + " " + what;
    // A lane that empties a table has taken it; its rows come next.
    if (TableOutcome* outcome = Find(table)) status_.timeLeft.Taken(IndexOf(*outcome), SteadyClock::now());
    Land(table);
    status_.rowsWaiting = WaitingRows();
}

// The table no longer copies rows: its name leaves the status line.
void RunLedger::Land(const RunTable& table) {
    std::erase_if(flights_, [&](const Flight& flight) { return flight.table.row == table.row; });
    ShowFlights();
}

void RunLedger::ShowFlights() {
    status_.table.clear();
    status_.tableTotal = 0;
    status_.tablesInFlight = static_cast<int>(flights_.size());
    for (const Flight& flight : flights_) {
        status_.table += (status_.table.empty() ? "" : ", ") + flight.table.name;
        status_.tableTotal += flight.total;
    }
}

std::int64_t RunLedger::InFlightDone() const {
    std::int64_t done = 0;
    for (const Flight& flight : flights_) done += flight.done;
    return done;
}

std::int64_t RunLedger::WaitingRows() const {
    std::int64_t rows = 0;
    for (const TableOutcome& outcome : tables_) rows += outcome.state == TableState::Waiting ? outcome.estimate : 0;
    return rows;
}

void RunLedger::Copying(const RunTable& table, std::int64_t total) {
    if (TableOutcome* outcome = Find(table)) {
        outcome->state = TableState::Copying;
        outcome->rows = total;
        status_.timeLeft.Rows(IndexOf(*outcome), total);
        status_.timeLeft.Taken(IndexOf(*outcome), SteadyClock::now());
    }
    flights_.push_back({table, total, 0});
    if (status_.copying == SteadyClock::time_point{}) {
        status_.copying = SteadyClock::now();
        status_.boxesAtCopying = TimeInMessageBoxes();
    }
    ShowFlights();
    status_.step.clear();
    status_.rowsWaiting = WaitingRows();
}

void RunLedger::Done(const RunTable& table, std::int64_t rows, double seconds) {
    if (TableOutcome* outcome = Find(table)) {
        outcome->state = TableState::Done;
        outcome->rows = rows;
        outcome->seconds = seconds;
        status_.timeLeft.Left(IndexOf(*outcome), true, SteadyClock::now());
    }
    status_.rowsBefore += rows;
    Land(table);
    status_.step.clear();
}

void RunLedger::Copied(const RunTable& table, std::int64_t rows) {
    for (Flight& flight : flights_)
        if (flight.table.row == table.row) flight.done += rows;
    if (TableOutcome* outcome = Find(table)) status_.timeLeft.Copied(IndexOf(*outcome), rows);
}

void RunLedger::Carried(const RunTable& table, const std::string& path) {
    if (TableOutcome* outcome = Find(table)) outcome->path = path;
}

void RunLedger::Failed(const RunTable& table) {
    if (TableOutcome* outcome = Find(table)) {
        outcome->state = TableState::Failed;
        status_.timeLeft.Left(IndexOf(*outcome), false, SteadyClock::now());
    }
    Land(table);
    status_.step.clear();
}

void RunLedger::Verifying(const RunTable& table) {
    TableOutcome* outcome = Find(table);
    if (!outcome) return;
    status_.timeLeft.Comparing(IndexOf(*outcome), SteadyClock::now());
    // A copied table stays 완료 while it is compared.
    if (outcome->state != TableState::Done) outcome->state = TableState::Verifying;
    if (!status_.verifyOnly) return;
    status_.comparing = table.name;
    status_.step.clear();
    // The verify command's pace counts from its first comparison.
    if (status_.copying == SteadyClock::time_point{}) {
        status_.copying = SteadyClock::now();
        status_.boxesAtCopying = TimeInMessageBoxes();
    }
}

void RunLedger::Verified(const RunTable& table, const TableCheck& check) {
    TableOutcome* outcome = Find(table);
    if (!outcome) return;
    if (outcome->state != TableState::Done) {
        outcome->rows = check.targetRows;
        outcome->seconds = check.seconds;
    }
    outcome->state = check.match ? TableState::Verified : TableState::Mismatch;
    status_.timeLeft.Compared(IndexOf(*outcome), check.sourceRows, check.seconds, SteadyClock::now());
    if (!outcome->checked && status_.verifyOnly) {
        status_.rowsCompared += check.sourceRows;
        ++status_.tablesCompared;
        status_.comparing.clear();
    }
    outcome->checked = true;
    outcome->check = check;
    CountToCompare();
}

void RunLedger::Finish(const RunEnd& end) {
    // The table the run ended in may not have reached its first row yet. A stop ends every
    // table in flight.
    const bool stopped = end.outcome == RunOutcome::Stopped;
    bool endedIn = false;
    for (TableOutcome& outcome : tables_) {
        const bool busy = outcome.state == TableState::Copying || outcome.state == TableState::Verifying;
        const bool open = busy || outcome.state == TableState::Waiting;
        const bool named = outcome.table.name == end.failedTable ||
                           std::ranges::find(end.stoppedTables, outcome.table.name) != end.stoppedTables.end();
        if (open && (stopped || !endedIn) && (busy || named)) {
            endedIn = true;
            outcome.state = stopped ? TableState::Stopped : TableState::Failed;
        } else if (open) {
            outcome.state = TableState::NotRun;
        }
        outcome.setAside = std::ranges::find(end.notSwapped, outcome.table.name) != end.notSwapped.end();
    }
    flights_.clear();
    status_.table.clear();
    status_.step.clear();
    status_.comparing.clear();
    status_.timeLeft.Ended();
    status_.ended = true;
    status_.finished = SteadyClock::now();
    status_.boxesAtEnd = TimeInMessageBoxes();
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
    if (end.verifyOnly) return VerificationLines(end);
    std::int64_t rows = 0;
    int copied = 0;
    for (const TableOutcome& outcome : tables_) {
        const bool done = outcome.state == TableState::Done || outcome.checked;
        rows += done ? outcome.rows : 0;
        copied += done ? 1 : 0;
    }
    std::string tables = "테이블: 복사 " + std::to_string(copied) + "개";
    if (!end.reused.empty())
        tables +=
            "(그 가운데 " + std::to_string(end.reused.size()) + "개는 지난 실행에서 검증을 마친 복사본을 다시 씀)";
    tables += ", 실패 " + std::to_string(Count(TableState::Failed)) + "개, ";
    if (const int stopped = Count(TableState::Stopped); stopped > 0)
        tables += "중지 " + std::to_string(stopped) + "개, ";
    tables += "실행 안 함 " + std::to_string(Count(TableState::NotRun)) + "개";
    std::vector<std::string> lines{
        "[작업 요약] 결과: " + OutcomeText(end.outcome),
        tables,
        "복사한 행: " + GroupDigits(rows) + "건",
        "시작: " + LocalTimeText(startTime_) + ", 끝: " + LocalTimeText(endTime_) +
            ", 걸린 시간: " + DurationText(status_.Elapsed(status_.finished)),
    };
    if (!end.repairError.empty()) lines.push_back("원본 0000-00-00 날짜 고치기: 실패");
    if (const std::string ended = EndedTablesText(end); !ended.empty()) lines.push_back(ended);
    if (!end.error.empty()) lines.push_back("오류: " + OneLine(end.error));
    if (!end.targetNote.empty()) lines.push_back("대상 DB: " + end.targetNote);
    if (Count(TableState::Verified) + Count(TableState::Mismatch) > 0)
        lines.push_back("검증: 일치 " + std::to_string(Count(TableState::Verified)) + "개, 불일치 " +
                        std::to_string(Count(TableState::Mismatch)) + "개");
    return lines;
}

// "실패한 테이블: qlty (대상 테이블을 비운 뒤 실패 - ...), pclass (원본과 다름 - 키 3)", or the
// tables a stop left unfinished; "" when the run ended in no table.
std::string RunLedger::EndedTablesText(const RunEnd& end) const {
    const auto differences = [this](const std::string& name) {
        for (const TableOutcome& outcome : tables_)
            if (outcome.table.name == name && outcome.state == TableState::Mismatch)
                return "원본과 다름 - " + DifferenceText(outcome.check);
        return std::string("원본과 다름");
    };
    if (!end.failedTables.empty()) {
        std::string text = "실패한 테이블: ";
        for (std::size_t i = 0; i < end.failedTables.size(); ++i) {
            const FailedTable& failed = end.failedTables[i];
            text += (i > 0 ? ", " : "") + failed.name + " (" +
                    (failed.differs ? differences(failed.name) : TableCondition(false, failed.targetTouched)) + ")";
        }
        return text;
    }
    if (end.failedTable.empty()) return {};
    const bool stopped = end.outcome == RunOutcome::Stopped;
    std::string ended = end.failedTable;
    for (std::size_t i = 1; i < end.stoppedTables.size(); ++i) ended += ", " + end.stoppedTables[i];
    return (stopped ? "중지한 테이블: " : "실패한 테이블: ") + ended + " (" +
           TableCondition(stopped, end.targetTouched) + ")";
}

// The summary of the verify command, which copies nothing.
std::vector<std::string> RunLedger::VerificationLines(const RunEnd& end) const {
    std::vector<std::string> lines{
        "[작업 요약] 결과: " + OutcomeText(end.outcome) + " (검증만, 바꾼 것 없음)",
        "검증: " + std::to_string(Count(TableState::Verified)) + "/" + std::to_string(tables_.size()) + " 일치",
        "시작: " + LocalTimeText(startTime_) + ", 끝: " + LocalTimeText(endTime_) +
            ", 걸린 시간: " + DurationText(status_.Elapsed(status_.finished)),
    };
    for (const TableOutcome& outcome : tables_)
        if (outcome.state == TableState::Mismatch)
            lines.push_back("불일치: " + outcome.table.name + " (" + DifferenceText(outcome.check) + ")");
    // A difference is named above; any other error here.
    if (!end.error.empty() && Count(TableState::Mismatch) == 0) lines.push_back("오류: " + OneLine(end.error));
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
        case TableState::Verifying:
            return "검증 중";
        case TableState::Verified:
            return "검증됨 " + GroupDigits(outcome.rows) + "건 " + DurationText(outcome.seconds);
        case TableState::Mismatch:
            return "불일치";
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
