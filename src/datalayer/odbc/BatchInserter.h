#pragma once
// Internal: inserts the records added to a batch-optimistic table recordset many rows per
// execute, through array-bound parameters, with the outcome that inserting them one at a
// time would have. In one batch every row names the same columns; a column a row did not
// assign is sent as "ignore" (SQL_COLUMN_IGNORE), which the server fills exactly as it
// fills a column left out of the INSERT: with its default.
//
// When the table refuses a row of a batch, the rows before it end up in the table once,
// it and the rows after it do not, and the error raised is the one the row gives on its
// own (the driver's text for that single-row INSERT). See Flush for how. The keys an
// auto-increment column gets are those of one row at a time too: rows that leave their
// key to the table get the counter's next values from here, numbered just before their
// batch goes, so no batch sets aside values it does not use.
//
// On a transactional table (when the connection allows it) a batch goes as one LOAD DATA
// LOCAL INFILE in a transaction of its own (BulkLoader), which stores rows at about the
// cost of the server's own copy. A batch the load does not store silently and whole is
// rolled back and sent again as arrays as described above, which refuse exactly. Only
// when those arrays then meet a refused row does DDL run on the table: the rolled-back
// load moved the counter on, and PutCounterBack sets it back with ALTER TABLE, waiting a
// few seconds at most for other clients' transactions on the table.
//
// A full batch is sent on a thread of its own while the next one fills, so that building
// rows here and storing them on the server overlap. Only one batch is ever on its way.
// Another statement on the same connection meanwhile runs before or after it, never in
// its middle: the sender holds the connection's lock for the whole batch. When a batch
// fails, the rows queued after it are dropped unsent and its error is raised by the next
// Add, Flush or Drop.
#include <sql.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/mariadb/LoadSession.h"
#include "datalayer/odbc/BulkLoader.h"
#include "datalayer/odbc/ConnectionLock.h"
#include "datalayer/odbc/LoadPlan.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

class BatchInserter {
public:
    using Mask = std::vector<char>;
    // Inserts one row on its own, as a row-at-a-time writer does.
    using SingleInsert = std::function<void(const Row&, const Mask&)>;

    // Rows per execute.
    static constexpr std::size_t kMaxRows = 1023;
    // Rows per load on a transactional table: a load costs a transaction and a few
    // exchanges, so it takes more rows than an execute.
    static constexpr std::size_t kMaxLoadRows = 4 * kMaxRows;
    // Bytes of parameter buffers per batch at most, well under the usual max_allowed_packet.
    static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;

    // maxBytes: the parameter buffers of one batch, at most (a row larger goes alone); never
    // more than half the server's packet.
    // loads: the connection's load session when transactional tables may be loaded with
    // LOAD DATA, otherwise null.
    BatchInserter(const Dbc& dbc, std::string table, std::vector<std::string> columns, std::size_t maxBytes,
                  SingleInsert single, std::shared_ptr<LoadSession> loads);
    // Waits for the batch on its way; its failure, if any, was never asked for.
    ~BatchInserter();
    BatchInserter(const BatchInserter&) = delete;
    BatchInserter& operator=(const BatchInserter&) = delete;

    // Queues a row. The queue is sent first when the row would overfill it, carries a value
    // of another kind (text, integer, ...) than the rows queued in the same column, or
    // leaves its auto-increment key to the table where the queued rows give theirs (or the
    // other way round).
    void Add(Row values, Mask assigned);
    // Sends the queued rows and waits until every row is in the table or refused;
    // afterwards nothing is queued, whatever happened.
    void Flush();
    // Forgets the queued rows (the batch already on its way still goes).
    void Drop();
    // Rows not yet known to be in the table: queued or on their way.
    std::size_t Pending() const { return queue_.rows.size() + sendingRows_; }
    // Rows stored by LOAD DATA so far (the others went as arrays or one at a time).
    std::size_t LoadedRows() const { return loadedRows_.load(); }
    // The server's packet limit, read with the table's facts.
    std::int64_t PacketBytes() { return TableFacts().packetBytes; }

private:
    using Kind = ValueKind;
    // Rows sent together: every row names the same columns, each column one kind of value.
    struct Batch {
        explicit Batch(std::size_t columns) : kinds(columns, Kind::None), widths(columns, 0), used(columns, 0) {}
        std::vector<Row> rows;
        std::vector<Mask> assigned;
        std::vector<Kind> kinds;          // per column, of the values queued
        std::vector<std::size_t> widths;  // per column, the longest text or bytes queued
        Mask used;                        // columns some queued row assigned
        bool leavesKey = false;           // the rows leave their auto-increment key to the table
    };
    // What the server says once about the table, when the first row is queued.
    struct Facts {
        bool transactional = false;                // a failed statement leaves none of its rows
        std::optional<std::string> autoIncrement;  // the auto-increment column's name
        // The table numbers rows from its counter by one (increment 1, the column leads an
        // index), so keys can be numbered here.
        bool keysCountable = false;
        bool zeroIsAKey = false;      // NO_AUTO_VALUE_ON_ZERO: a 0 is stored as it is
        bool strictAll = false;       // batches go under STRICT_ALL_TABLES
        std::int64_t rowsBefore = 0;  // without transactions: rows before the next batch
        // The session's max_allowed_packet; unread, the smallest a server has had by default.
        std::int64_t packetBytes = 1024 * 1024;
        std::map<std::string, std::string> dataTypes;  // DATA_TYPE by lower-case column name
    };
    struct Outcome {
        bool ok = true;
        std::optional<std::size_t> stayed;  // rows of the batch in the table, when known
        std::exception_ptr error;
    };

    Facts& TableFacts();
    bool Loads() { return loads_ && TableFacts().transactional; }
    // Hands the queue to a thread that writes it, once the batch before it is done.
    void Send();
    // Waits for the batch on its way; when it failed, drops the queue and raises its error.
    void Wait();
    // Writes a batch with the outcome of one row at a time (on the sending thread, holding
    // the connection's lock).
    void Write(Batch& batch);
    // Writes the rows through array-bound INSERTs, at most kMaxRows per execute.
    void WriteArrays(Batch& batch);
    void WriteArraySlice(Batch& batch);
    // Each row on its own, as a row-at-a-time writer does.
    void WriteSingly(Batch& batch, std::size_t from);
    // Gives the rows of a batch that leave their key to the table the keys the table
    // would give them one at a time; false when the table's counter cannot be read.
    bool NumberKeys(Batch& batch);
    // After a rolled-back load whose rows then met a refused one: the counter back to
    // where one row at a time leaves it, waiting at most kCounterLockSeconds for the table.
    void PutCounterBack(std::int64_t firstKey) noexcept;
    static constexpr int kCounterLockSeconds = 3;

    // The steps of one array execute.
    Statement& InsertFor(const Batch& batch, std::vector<std::size_t>& used);
    struct ColumnArray;
    std::vector<ColumnArray> BindArrays(SQLHSTMT h, const Batch& batch, const std::vector<std::size_t>& used);
    Outcome RunArrays(SQLHSTMT h, std::size_t rows);
    Outcome Execute(const Batch& batch);

    std::size_t RowsThatStayed(const Batch& batch, const Outcome& outcome);
    std::int64_t Scalar(const std::string& sql);

    Dbc dbc_;
    std::string table_;
    std::string quotedTable_;
    std::vector<std::string> columns_;
    std::size_t maxBytes_;
    SingleInsert single_;
    std::shared_ptr<LoadSession> loads_;
    std::shared_ptr<ConnectionMutex> lock_;
    std::optional<Facts> facts_;
    std::optional<BulkLoader> loader_;

    // Whether a row leaves its auto-increment value to the table. Such rows go in batches
    // of their own, whose keys are numbered from the counter just before they are sent.
    bool LeavesKeyToTable(const Row& values, const Mask& assigned);
    std::optional<std::size_t> autoIncrementColumn_;

    Batch queue_;
    std::future<void> sending_;                // the batch on its way
    std::size_t sendingRows_ = 0;              // and its rows
    std::atomic<std::size_t> loadedRows_ = 0;  // counted by the sending thread

    // Prepared statements by the columns they name and the kinds bound to them; used by
    // the sending thread only.
    std::map<std::string, Statement> statements_;
};

}  // namespace ado::odbc
