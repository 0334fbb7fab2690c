#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"
#include "conversion/run/TimeLeft.h"
#include "conversion/verification/TableVerification.h"

// Where a selected table stands in a run.
enum class TableState { Waiting, Copying, Done, Failed, Stopped, NotRun, Verifying, Verified, Mismatch };

struct TableOutcome {
    RunTable table;
    TableState state = TableState::Waiting;
    std::int64_t rows = 0;      // for Done: the rows copied; while copying: the rows to copy
    double seconds = 0;         // for Done: how long the table took
    std::int64_t estimate = 0;  // the server's estimate of its rows, before the run reached it
    bool checked = false;       // compared with its source: what the comparison found
    TableCheck check;
    std::string path;       // which way its rows went, once known
    bool setAside = false;  // copied and verified beside the target, but not put in (another table failed)
};

// What the status line shows of a run, copied out for the window to paint.
struct RunStatus {
    bool begun = false;  // a run has started since the program started
    bool ended = false;
    std::string table;             // being copied: the names of the tables in flight, "customer, product_m"
    std::int64_t tableTotal = 0;   // their rows to copy together
    std::int64_t rowsBefore = 0;   // rows of the tables already done
    std::int64_t rowsWaiting = 0;  // the estimated rows of the tables not begun yet
    std::string step;              // between tables: what the run does now ("cashbook 대상 테이블 비우는 중")
    std::string silence;           // a server that has not answered for a while, and since when
    int tablesInFlight = 0;        // how many tables `table` names
    std::chrono::steady_clock::time_point started, finished;
    // The time message boxes had been open when it started and when it ended.
    std::chrono::steady_clock::duration boxesAtStart{}, boxesAtEnd{};

    // Seconds of work from the start until `now` (or the end): the time spent in message
    // boxes, waiting on the user, left out.
    double Elapsed(std::chrono::steady_clock::time_point now) const;
    std::chrono::steady_clock::time_point copying;         // the first table's rows began; the pace counts from here
    std::chrono::steady_clock::duration boxesAtCopying{};  // the time message boxes had been open by then
    TimeLeft timeLeft;
    // The verify command: the table being compared, the rows compared and still to compare
    // (estimated), the tables compared and in all.
    bool verifyOnly = false;
    std::string comparing;
    std::int64_t rowsCompared = 0, rowsToCompare = 0;
    int tablesCompared = 0, tables = 0;

    // "customer 복사 중: 12,345 / 20,000건 · 경과 5.0초 · 초당 2,469건 · 남은 시간: 이 테이블
    // 3.1초, 전체 약 40.2초", given the rows of the tables in flight done by now. The time left
    // comes from the rows still to copy at the pace since the first rows were copied (the
    // checks before them copy nothing).
    std::string Line(std::int64_t tableRowsDone, std::chrono::steady_clock::time_point now) const;
    // The seconds of work left, as the line says them; -1 while there is no estimate.
    double SecondsLeft(std::int64_t tableRowsDone, std::chrono::steady_clock::time_point now) const;

private:
    double Pace(std::int64_t rows, std::chrono::steady_clock::time_point now) const;
    std::string VerifyLine(std::chrono::steady_clock::time_point now) const;
};

// The run's account of every selected table, from its events: the window's row states,
// the status line, the summary lines of the work log and the saved record.
class RunLedger {
public:
    void Begin(const std::vector<RunTable>& tables, bool verifyOnly = false);
    void Estimated(const std::vector<std::int64_t>& rows);
    // The space each table takes in the source (data and indexes), in the order of the run's tables.
    void EstimatedBytes(const std::vector<std::int64_t>& bytes);
    // A server has not answered since `since`; ServerSide::None once it answers again.
    void Silent(ServerSide side, std::chrono::system_clock::time_point since);
    void Step(const RunTable& table, RunStep step);
    void Copying(const RunTable& table, std::int64_t total);
    void Copied(const RunTable& table, std::int64_t rows);
    void Done(const RunTable& table, std::int64_t rows, double seconds);
    void Failed(const RunTable& table);
    void Verifying(const RunTable& table);
    // Verified or Mismatch; a table only verified takes the target's rows and the time.
    void Verified(const RunTable& table, const TableCheck& check);
    void Carried(const RunTable& table, const std::string& path);
    // Settles every table still open: those being copied failed or stopped, the rest not run.
    void Finish(const RunEnd& end);

    const std::vector<TableOutcome>& Tables() const { return tables_; }
    // The outcome of a list row, or nullptr when the row is not part of the last run.
    const TableOutcome* OfRow(int row) const;
    const RunStatus& Status() const { return status_; }
    // The tables whose rows are being copied now: their rows copied and to copy, together.
    bool InFlight() const { return !flights_.empty(); }
    std::int64_t InFlightDone() const;
    std::int64_t InFlightTotal() const { return status_.tableTotal; }
    std::chrono::system_clock::time_point StartTime() const { return startTime_; }

    // The summary the work log ends with, in Korean, one line each.
    std::vector<std::string> SummaryLines(const RunEnd& end) const;

private:
    TableOutcome* Find(const RunTable& table);
    std::size_t IndexOf(const TableOutcome& outcome) const {
        return static_cast<std::size_t>(&outcome - tables_.data());
    }
    void CountToCompare();
    int Count(TableState state) const;
    std::int64_t WaitingRows() const;
    std::vector<std::string> VerificationLines(const RunEnd& end) const;
    std::string EndedTablesText(const RunEnd& end) const;
    void Land(const RunTable& table);
    void ShowFlights();

    struct Flight {
        RunTable table;
        std::int64_t total = 0, done = 0;
    };

    std::vector<TableOutcome> tables_;
    std::vector<Flight> flights_;
    RunStatus status_;
    std::chrono::system_clock::time_point startTime_, endTime_;
};

// The state as a row of the list shows it: "대기", "복사 중", "완료 20,000건 1.2초", ...
std::string StateText(const TableOutcome& outcome);

// The run's outcome in one word: "완료", "실패", "중지", ...
std::string OutcomeText(RunOutcome outcome);
