#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/CustomerForm.h"
#include "conversion/copy/TableCopier.h"

class RunStop;
struct TableCheck;
namespace ado {
class Connection;
}

// One selected catalogue row: its position in the list and its table name.
struct RunTable {
    int row = 0;
    std::string name;
};

// How a copy run ended.
enum class RunOutcome {
    Completed,     // every selected table copied, the completion message shown
    Failed,        // an error report ended it
    Stopped,       // 중지 ended it
    Declined,      // No at a question about a target that already holds data
    NotConnected,  // a database could not be located or opened (the user was told)
};

// A step of the run besides copying rows, named on the status line while it lasts.
enum class RunStep { Checking, Emptying, Counting, Remapping, MakingShadow, Swapping, BuildingKeys };

// The server a run waits on: the source's, the target's, both (a comparison), or none.
enum class ServerSide { None, Source, Target, Both };

// A table that failed or differs from its source, as the run's end names it.
struct FailedTable {
    std::string name;
    bool targetTouched = false;  // emptied in the target before it failed
    bool differs = false;        // copied, but differs from its source
};

struct RunEnd {
    RunOutcome outcome = RunOutcome::Completed;
    std::string error;           // the error report shown, for Failed; for NotConnected, why
    std::string failedTable;     // the table being copied when it failed or stopped, if any (the
                                 // first in time when several failed or were in flight)
    bool targetTouched = false;  // that table had been emptied in the target already
    std::string declinedLabel;   // for Declined: the pre-check's label ("고객", "상품")
    std::int32_t declinedCount = 0;
    std::int64_t failedTableRows = -1;         // the rows that table's target holds now; -1 when unknown
    std::vector<std::string> explanation;      // what went wrong and what to do, in plain Korean
    bool verifyOnly = false;                   // the verify command, which copies nothing
    std::string repairError;                   // the zero-date repair's report, when it failed
    std::vector<std::string> stoppedTables;    // for Stopped: every table it left unfinished, in list order
    std::vector<std::string> outsideSnapshot;  // selected source tables the snapshot does not hold
    std::string loadRefusal;                   // why LOAD DATA stopped being tried during the run, if it did
    std::vector<FailedTable> failedTables;     // for Failed: every table that failed or differs, first in time first
    std::string targetNote;                    // what the target holds after a run that put nothing in place
    std::vector<std::string> inPlace;          // tables copied in place, not swapped in, with the reason
    std::vector<std::string> leftovers;        // copies a killed run had left in the target, dropped
    std::vector<std::string> notSwapped;       // tables copied and verified beside the target but not put in
    std::vector<std::string> kept;             // tables whose verified copies stay beside the target, for the next run
    std::vector<std::string> reused;           // tables whose copies an earlier run had verified, compared and kept
};

// What a copy run or the repair command tells the one who started it. The window model
// turns these into its bars, list, log and messages; the benchmark and tests listen too.
// Tables copied side by side report from their own threads, one call at a time; message
// boxes are asked on the thread that runs the operation.
class RunEvents {
public:
    virtual ~RunEvents() = default;

    // Both databases were located: their hosts are known.
    virtual void HostsLocated() = 0;
    // The copy begins over the selected tables (before the connections are opened).
    virtual void RunStarted(const std::vector<RunTable>& tables) = 0;
    // The server's estimate of each table's rows, in the order of the run's tables.
    virtual void RowsEstimated(const std::vector<std::int64_t>& /*rows*/) {}
    // The space each table takes in the source (its data and indexes), in the same order.
    virtual void BytesEstimated(const std::vector<std::int64_t>& /*bytes*/) {}
    // A step besides the rows has begun (for Checking, `table` is empty).
    virtual void StepStarted(const RunTable& /*table*/, RunStep /*step*/) {}
    virtual void TableStarted(const RunTable& table, std::int64_t rowTotal) = 0;
    // More rows of the table went to the target: `rows` since its last call.
    virtual void RowsCopied(const RunTable& table, std::int64_t rows) = 0;
    virtual void TableFinished(const RunTable& table, std::int64_t rows, double seconds) = 0;
    virtual void TableFailed(const RunTable& table, const std::string& error) = 0;
    // A table is being compared with its source, and what the comparison found.
    virtual void TableVerifying(const RunTable& /*table*/) {}
    virtual void TableVerified(const RunTable& /*table*/, const TableCheck& /*check*/) {}
    // Which way the table's rows reached the target, once they are all sent.
    virtual void TableCarried(const RunTable& /*table*/, const CopyOutcome& /*outcome*/) {}
    // A message box: a question, a report or the completion message. Returns the answer.
    virtual int Question(const std::string& prompt, int style, const std::string& title = {}) = 0;
    virtual void LogLine(const std::string& line) = 0;
    // A server has given no answer since `since` (a run waits on it); ServerSide::None once
    // every server answers again.
    virtual void ServerSilent(ServerSide /*side*/, std::chrono::system_clock::time_point /*since*/) {}
    // The run's work is over, however it ended (only for runs that got past the start
    // question); its last message box, if any, comes after this.
    virtual void RunFinished(const RunEnd& end) = 0;
};

// What an operation needs to reach both customer databases: locating them on the
// central database, and opening a connection through a registered data source.
class ConnectionSetup {
public:
    virtual ~ConnectionSetup() = default;
    // The host of the customer of that index, or "" when it cannot be found (the user
    // has been told, through `events`). The host is remembered for the customer.
    virtual std::string LocateCustomer(CustomerIndex index, RunEvents& events) = 0;
    virtual bool OpenCustomer(const std::shared_ptr<ado::Connection>& connection, CustomerIndex index,
                              bool withOptions) = 0;
    // What the user was told when TLS refused the last failed OpenCustomer of that index;
    // "" when it failed for another reason or did not fail.
    virtual std::string ConnectionRefusal(CustomerIndex index) const = 0;
};

// How long a run waits on a server that gives no answer before it says so.
inline constexpr std::chrono::milliseconds kSilentAfter{30000};

// Everything a copy run or the repair command works with.
struct RunRequest {
    CustomerForm& customers;  // the two IDs, database names and hosts, the ID boxes' focus
    ConnectionSetup& connections;
    RunStop& stop;
    std::vector<RunTable> tables;                          // the selected rows, in list order
    bool verify = true;                                    // each copied table is compared with its source
    int tablesInFlight = 1;                                // at most at once; kTablesInFlightByDistance: run's choice
    std::chrono::milliseconds silentAfter = kSilentAfter;  // a server this long without an answer is named
};
