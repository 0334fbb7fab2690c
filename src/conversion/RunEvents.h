#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/CustomerForm.h"

class RunStop;
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

struct RunEnd {
    RunOutcome outcome = RunOutcome::Completed;
    std::string error;           // the error report shown, for Failed
    std::string failedTable;     // the table being copied when it failed or stopped, if any
    bool targetTouched = false;  // that table had been emptied in the target already
    std::string declinedLabel;   // for Declined: the pre-check's label ("고객", "상품")
    std::int32_t declinedCount = 0;
    std::string loadRefusal;  // why LOAD DATA stopped being tried during the run, if it did
};

// What a copy run or the repair command tells the one who started it. The window model
// turns these into its bars, list, log and messages; the benchmark and tests listen too.
// Called on the thread that runs the operation.
class RunEvents {
public:
    virtual ~RunEvents() = default;

    // Both databases were located: their hosts are known.
    virtual void HostsLocated() = 0;
    // The copy begins over the selected tables (before the connections are opened).
    virtual void RunStarted(const std::vector<RunTable>& tables) = 0;
    virtual void TableStarted(const RunTable& table, std::int64_t rowTotal) = 0;
    // One more row went to the target (a million-row table calls this a million times).
    virtual void RowCopied() = 0;
    virtual void TableFinished(const RunTable& table, std::int64_t rows, double seconds) = 0;
    virtual void TableFailed(const RunTable& table, const std::string& error) = 0;
    // Which way the table's rows reached the target ("LOAD DATA", "배열 INSERT", or both with counts).
    virtual void TableCarried(const RunTable& /*table*/, const std::string& /*path*/) {}
    // A message box: a question, a report or the completion message. Returns the answer.
    virtual int Question(const std::string& prompt, int style, const std::string& title = {}) = 0;
    virtual void LogLine(const std::string& line) = 0;
    // The run is over, however it ended (only for runs that got past the start question).
    virtual void RunFinished(const RunEnd& end) = 0;
};

// What an operation needs to reach both customer databases: locating them on the
// central database, and opening a connection through a registered data source.
class ConnectionSetup {
public:
    virtual ~ConnectionSetup() = default;
    // The host of the customer of that index, or "" when it cannot be found (the user
    // has been told). The host is remembered for the customer.
    virtual std::string LocateCustomer(CustomerIndex index) = 0;
    virtual bool OpenCustomer(const std::shared_ptr<ado::Connection>& connection, CustomerIndex index,
                              bool withOptions) = 0;
};

// Everything a copy run or the repair command works with.
struct RunRequest {
    CustomerForm& customers;  // the two IDs, database names and hosts, the ID boxes' focus
    ConnectionSetup& connections;
    RunStop& stop;
    std::vector<RunTable> tables;  // the selected rows, in list order
};
