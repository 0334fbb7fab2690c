#include "datalayer/odbc/BatchInserter.h"

#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <iterator>

#include "common/VbError.h"
#include "datalayer/AdoErrors.h"
#include "datalayer/odbc/Diagnostics.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

// Leaves nothing of a batch's arrays bound to the statement, however its execute ends:
// the arrays go away with it.
class ArraysUnbound {
public:
    explicit ArraysUnbound(SQLHSTMT h) : h_(h) {}
    ~ArraysUnbound() {
        SQLFreeStmt(h_, SQL_RESET_PARAMS);
        SQLSetStmtAttr(h_, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(h_, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
        SQLSetStmtAttr(h_, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(1)), 0);
    }
    ArraysUnbound(const ArraysUnbound&) = delete;
    ArraysUnbound& operator=(const ArraysUnbound&) = delete;

private:
    SQLHSTMT h_;
};

}  // namespace

// One column's parameter array.
struct BatchInserter::ColumnArray {
    std::vector<SQLLEN> indicators;
    std::vector<char> bytes;
    std::vector<std::int64_t> integers;
    std::vector<double> doubles;
};

BatchInserter::BatchInserter(const Dbc& dbc, std::string table, std::vector<std::string> columns, std::size_t maxBytes,
                             SingleInsert single, std::shared_ptr<LoadSession> loads)
    : dbc_(dbc),
      table_(std::move(table)),
      quotedTable_(QuoteIdentifier(table_)),
      columns_(std::move(columns)),
      maxBytes_(maxBytes),
      single_(std::move(single)),
      loads_(std::move(loads)),
      lock_(dbc.lock),
      queue_(columns_.size()) {}

BatchInserter::~BatchInserter() {
    if (sending_.valid()) sending_.wait();
}

void BatchInserter::Add(Row values, Mask assigned) {
    auto kindOf = [](const Value& v) {
        if (v.IsText()) return Kind::Text;
        if (v.IsInteger()) return Kind::Integer;
        if (v.IsDouble()) return Kind::Double;
        if (v.IsBytes()) return Kind::Bytes;
        return Kind::None;
    };
    auto widthOf = [](const Value& v) -> std::size_t {
        if (v.IsText()) return v.AsText().size();
        if (v.IsBytes()) return v.AsBytes().data.size();
        return 0;
    };
    // A batch that failed is told before anything more is queued.
    if (sending_.valid() && sending_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) Wait();
    TableFacts();
    const bool leavesKey = LeavesKeyToTable(values, assigned);
    // A column binds one kind of value for the whole batch, and every row takes as many
    // bytes in a column's array as the longest value in it.
    Batch& q = queue_;
    bool fits = q.rows.size() < (Loads() ? kMaxLoadRows : kMaxRows) && leavesKey == q.leavesKey;
    std::size_t rowBytes = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::size_t width = q.widths[i];
        if (assigned[i]) {
            const Kind kind = kindOf(values[i]);
            if (kind != Kind::None && q.kinds[i] != Kind::None && kind != q.kinds[i]) fits = false;
            width = std::max(width, widthOf(values[i]));
        }
        rowBytes += sizeof(SQLLEN) + std::max<std::size_t>(width, sizeof(double));
    }
    if (!q.rows.empty() && (!fits || (q.rows.size() + 1) * rowBytes > maxBytes_)) Send();

    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!assigned[i]) continue;
        q.used[i] = 1;
        const Kind kind = kindOf(values[i]);
        if (kind != Kind::None) q.kinds[i] = kind;
        q.widths[i] = std::max(q.widths[i], widthOf(values[i]));
    }
    q.leavesKey = leavesKey;
    q.rows.push_back(std::move(values));
    q.assigned.push_back(std::move(assigned));
}

bool BatchInserter::LeavesKeyToTable(const Row& values, const Mask& assigned) {
    if (!autoIncrementColumn_) return false;
    const std::size_t c = *autoIncrementColumn_;
    if (!assigned[c]) return true;
    // Null asks the table for a value too, and so does 0 unless the session stores it.
    const Value& v = values[c];
    if (v.IsNull()) return true;
    if (facts_ && facts_->zeroIsAKey) return false;
    return (v.IsInteger() && v.AsInteger() == 0) || (v.IsText() && v.AsText() == "0");
}

void BatchInserter::Drop() {
    queue_ = Batch(columns_.size());
    Wait();
}

void BatchInserter::Flush() {
    Send();
    Wait();
}

void BatchInserter::Send() {
    Wait();
    if (queue_.rows.empty()) return;
    sendingRows_ = queue_.rows.size();
    sending_ = std::async(std::launch::async, [this, batch = std::move(queue_)]() mutable { Write(batch); });
    queue_ = Batch(columns_.size());
}

void BatchInserter::Wait() {
    if (!sending_.valid()) return;
    std::future<void> sending = std::move(sending_);
    sendingRows_ = 0;
    try {
        sending.get();
    } catch (...) {
        // The rows after a refused one never go: one row at a time would have stopped there.
        queue_ = Batch(columns_.size());
        throw;
    }
}

BatchInserter::Facts& BatchInserter::TableFacts() {
    if (facts_) return *facts_;
    Facts facts;
    const Value name(table_);
    // One exchange, a row per column of the table (one row without columns).
    // information_schema does not list temporary tables: such a table counts as one whose
    // failed statements may leave rows, which its row count then tells.
    const QueryResult answer = RunQuery(
        dbc_,
        "SELECT (SELECT e.TRANSACTIONS FROM information_schema.TABLES t JOIN information_schema.ENGINES e "
        "ON e.ENGINE = t.ENGINE WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = ?), "
        "(SELECT COLUMN_NAME FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ? "
        "AND EXTRA LIKE '%auto_increment%' LIMIT 1), "
        "@@SESSION.auto_increment_increment = 1 "
        "AND (SELECT COUNT(*) FROM information_schema.STATISTICS s JOIN information_schema.COLUMNS c "
        "ON c.TABLE_SCHEMA = s.TABLE_SCHEMA AND c.TABLE_NAME = s.TABLE_NAME AND c.COLUMN_NAME = s.COLUMN_NAME "
        "WHERE s.TABLE_SCHEMA = DATABASE() AND s.TABLE_NAME = ? AND s.SEQ_IN_INDEX = 1 "
        "AND c.EXTRA LIKE '%auto_increment%') > 0, "
        "FIND_IN_SET('STRICT_TRANS_TABLES', @@SESSION.sql_mode) > 0 "
        "AND FIND_IN_SET('STRICT_ALL_TABLES', @@SESSION.sql_mode) = 0, "
        "FIND_IN_SET('NO_AUTO_VALUE_ON_ZERO', @@SESSION.sql_mode) > 0, VERSION(), @@SESSION.max_allowed_packet, "
        "LOWER(c.COLUMN_NAME), LOWER(c.DATA_TYPE) FROM (SELECT 1) one LEFT JOIN information_schema.COLUMNS c "
        "ON c.TABLE_SCHEMA = DATABASE() AND c.TABLE_NAME = ?",
        {&name, &name, &name, &name});
    if (!answer.rows.empty()) {
        const Row& row = answer.rows[0];
        facts.transactional = row[0].IsText() && row[0].AsText() == "YES";
        if (!row[1].IsNull()) facts.autoIncrement = row[1].Text();
        facts.keysCountable = !row[2].IsNull() && row[2].Text() == "1";
        // Under STRICT_TRANS_TABLES a statement of several rows that meets a bad value in
        // its second or later row on a table without transactions stores an adjusted value
        // with a warning, where the same row on its own is refused. Under STRICT_ALL_TABLES
        // it is refused in every row, as one row at a time would be.
        facts.strictAll = !facts.transactional && !row[3].IsNull() && row[3].Text() == "1";
        facts.zeroIsAKey = !row[4].IsNull() && row[4].Text() == "1";
        // MySQL 8 answers information_schema.TABLES from statistics it keeps for a day: the
        // counter NumberKeys reads must be the table's own.
        const std::string version = row[5].IsNull() ? "" : row[5].Text();
        if (version.find("MariaDB") == std::string::npos && std::atoi(version.c_str()) >= 8)
            RunQuery(dbc_, "SET SESSION information_schema_stats_expiry = 0");
        if (!row[6].IsNull()) facts.packetBytes = std::stoll(row[6].Text());
        for (const Row& column : answer.rows)
            if (column[7].IsText() && column[8].IsText()) facts.dataTypes[column[7].AsText()] = column[8].AsText();
    }
    // A batch stays well inside one packet.
    maxBytes_ = std::min(maxBytes_, static_cast<std::size_t>(facts.packetBytes / 2));
    if (!facts.transactional) facts.rowsBefore = Scalar("SELECT COUNT(*) FROM " + quotedTable_);
    if (facts.autoIncrement)
        for (std::size_t i = 0; i < columns_.size() && !autoIncrementColumn_; ++i)
            if (SameColumnName(columns_[i], *facts.autoIncrement)) autoIncrementColumn_ = i;
    facts_ = facts;
    return *facts_;
}

std::int64_t BatchInserter::Scalar(const std::string& sql) {
    const QueryResult answer = RunQuery(dbc_, sql);
    if (answer.rows.empty() || answer.rows[0].empty() || answer.rows[0][0].IsNull()) return 0;
    return std::stoll(answer.rows[0][0].Text());
}

Statement& BatchInserter::InsertFor(const Batch& batch, std::vector<std::size_t>& used) {
    std::string key, names, markers;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!batch.used[i]) continue;
        used.push_back(i);
        key += std::to_string(i) + ':' + static_cast<char>('0' + static_cast<int>(batch.kinds[i])) + ';';
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(columns_[i]);
        markers += markers.empty() ? "?" : ", ?";
    }
    auto it = statements_.find(key);
    if (it == statements_.end()) {
        if (statements_.size() >= 32) statements_.clear();
        Statement statement(dbc_);
        statement.Prepare("INSERT INTO " + quotedTable_ + " (" + names + ") VALUES (" + markers + ")");
        it = statements_.emplace(key, std::move(statement)).first;
    }
    return it->second;
}

std::vector<BatchInserter::ColumnArray> BatchInserter::BindArrays(SQLHSTMT h, const Batch& batch,
                                                                  const std::vector<std::size_t>& used) {
    const std::size_t n = batch.rows.size();
    std::vector<ColumnArray> arrays(used.size());
    for (std::size_t u = 0; u < used.size(); ++u) {
        const std::size_t c = used[u];
        ColumnArray& a = arrays[u];
        a.indicators.resize(n);
        const Kind kind = batch.kinds[c] == Kind::None ? Kind::Text : batch.kinds[c];
        const std::size_t stride = std::max<std::size_t>(batch.widths[c], 1);
        if (kind == Kind::Text || kind == Kind::Bytes) a.bytes.resize(n * stride);
        if (kind == Kind::Integer) a.integers.resize(n);
        if (kind == Kind::Double) a.doubles.resize(n);
        for (std::size_t r = 0; r < n; ++r) {
            const Value& v = batch.rows[r][c];
            if (!batch.assigned[r][c]) {
                a.indicators[r] = SQL_COLUMN_IGNORE;  // the column's default, as if left out
            } else if (v.IsNull()) {
                a.indicators[r] = SQL_NULL_DATA;
            } else if (kind == Kind::Integer) {
                a.integers[r] = v.AsInteger();
                a.indicators[r] = 0;
            } else if (kind == Kind::Double) {
                a.doubles[r] = v.AsDouble();
                a.indicators[r] = 0;
            } else {
                const std::string& data = v.IsText() ? v.AsText() : v.AsBytes().data;
                std::copy(data.begin(), data.end(), a.bytes.begin() + static_cast<std::ptrdiff_t>(r * stride));
                a.indicators[r] = static_cast<SQLLEN>(data.size());
            }
        }
        SQLSMALLINT cType = SQL_C_CHAR, sqlType = SQL_VARCHAR;
        SQLULEN columnSize = stride;
        SQLPOINTER data = a.bytes.data();
        SQLLEN bufferLength = static_cast<SQLLEN>(stride);
        if (kind == Kind::Bytes) {
            cType = SQL_C_BINARY;
            sqlType = SQL_LONGVARBINARY;
        } else if (kind == Kind::Integer) {
            cType = SQL_C_SBIGINT;
            sqlType = SQL_BIGINT;
            columnSize = 0;
            data = a.integers.data();
            bufferLength = 0;
        } else if (kind == Kind::Double) {
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            columnSize = 0;
            data = a.doubles.data();
            bufferLength = 0;
        }
        CheckStmt(SQLBindParameter(h, static_cast<SQLUSMALLINT>(u + 1), SQL_PARAM_INPUT, cType, sqlType, columnSize, 0,
                                   data, bufferLength, a.indicators.data()),
                  h, source::kRecordset);
    }
    return arrays;
}

BatchInserter::Outcome BatchInserter::RunArrays(SQLHSTMT h, std::size_t n) {
    std::vector<SQLUSMALLINT> status(n, SQL_PARAM_UNUSED);
    SQLULEN processed = 0;
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0), h,
              source::kRecordset);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(n)), 0), h,
              source::kRecordset);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0), h, source::kRecordset);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0), h, source::kRecordset);

    Outcome outcome;
    const SQLRETURN rc = SQLExecute(h);
    if (!SQL_SUCCEEDED(rc)) {
        outcome.ok = false;
        outcome.error = std::make_exception_ptr(Diagnose(rc, SQL_HANDLE_STMT, h, source::kRecordset));
        return outcome;
    }
    // This driver sends the array to the server in one bulk command. Where it cannot,
    // it runs the rows one by one, stops at a refused row and still answers with
    // success: only the status array tells.
    std::size_t ok = 0;
    while (ok < n && (status[ok] == SQL_PARAM_SUCCESS || status[ok] == SQL_PARAM_SUCCESS_WITH_INFO)) ++ok;
    if (processed != n || ok != n) {
        outcome.ok = false;
        outcome.stayed = ok;
    }
    return outcome;
}

BatchInserter::Outcome BatchInserter::Execute(const Batch& batch) {
    std::vector<std::size_t> used;
    const SQLHSTMT h = InsertFor(batch, used).get();
    const ArraysUnbound unbind(h);
    const std::vector<ColumnArray> arrays = BindArrays(h, batch, used);
    return RunArrays(h, batch.rows.size());
}

void BatchInserter::WriteSingly(Batch& batch, std::size_t from) {
    Facts& facts = TableFacts();
    for (std::size_t r = from; r < batch.rows.size(); ++r) {
        single_(batch.rows[r], batch.assigned[r]);
        ++facts.rowsBefore;
    }
}

void BatchInserter::Write(Batch& batch) {
    const ConnectionGuard hold(*lock_);
    if ((batch.leavesKey && !NumberKeys(batch)) ||
        std::none_of(batch.used.begin(), batch.used.end(), [](char u) { return u != 0; })) {
        // No counter to count from: the rows go one at a time and the table numbers them.
        // Rows that assign nothing have no values to send together either.
        WriteSingly(batch, 0);
        return;
    }
    if (Loads()) {
        if (!loader_) loader_.emplace(dbc_, loads_, table_, columns_, facts_->dataTypes);
        if (loader_->Load(batch.rows, batch.assigned, batch.used, batch.kinds)) {
            loadedRows_ += batch.rows.size();
            return;
        }
        // Nothing of the load stayed. Its keys were numbered before it went, so the same
        // rows sent again get the same keys whatever the load did to the counter.
        if (batch.leavesKey && autoIncrementColumn_) {
            const std::int64_t firstKey = batch.rows[0][*autoIncrementColumn_].AsInteger();
            try {
                WriteArrays(batch);
            } catch (...) {
                PutCounterBack(firstKey);
                throw;
            }
            return;
        }
    }
    WriteArrays(batch);
}

void BatchInserter::PutCounterBack(std::int64_t firstKey) noexcept {
    // The rolled-back load moved the counter past all its keys, where one row at a time
    // stops at the refused row. Setting it to the load's first key leaves it just past the
    // rows that stayed. This changes the table's definition, which waits for other
    // clients' transactions on it: at most a few seconds; after that the counter stays
    // where it is, and the refused row's error is what the caller hears either way.
    try {
        RunQuery(dbc_, "SET @nutv_lock_wait = @@SESSION.lock_wait_timeout, SESSION lock_wait_timeout = " +
                           std::to_string(kCounterLockSeconds));
        try {
            RunQuery(dbc_, "ALTER TABLE " + quotedTable_ + " AUTO_INCREMENT = " + std::to_string(firstKey));
        } catch (...) {
        }
        RunQuery(dbc_, "SET SESSION lock_wait_timeout = @nutv_lock_wait");
    } catch (...) {
    }
}

void BatchInserter::WriteArrays(Batch& batch) {
    if (batch.rows.size() <= kMaxRows) {
        WriteArraySlice(batch);
        return;
    }
    for (std::size_t from = 0; from < batch.rows.size(); from += kMaxRows) {
        const std::size_t to = std::min(batch.rows.size(), from + kMaxRows);
        Batch slice(columns_.size());
        slice.kinds = batch.kinds;
        slice.widths = batch.widths;
        slice.used = batch.used;
        slice.leavesKey = batch.leavesKey;
        slice.rows.assign(std::make_move_iterator(batch.rows.begin() + static_cast<std::ptrdiff_t>(from)),
                          std::make_move_iterator(batch.rows.begin() + static_cast<std::ptrdiff_t>(to)));
        slice.assigned.assign(std::make_move_iterator(batch.assigned.begin() + static_cast<std::ptrdiff_t>(from)),
                              std::make_move_iterator(batch.assigned.begin() + static_cast<std::ptrdiff_t>(to)));
        WriteArraySlice(slice);
    }
}

void BatchInserter::WriteArraySlice(Batch& batch) {
    Facts& facts = TableFacts();
    Outcome outcome;
    if (facts.strictAll) {
        // The session's own mode comes back right after the batch, so nothing else on the
        // connection runs under the stricter one.
        RunQuery(dbc_,
                 "SET @nutv_sql_mode = @@SESSION.sql_mode, "
                 "SESSION sql_mode = CONCAT(@@SESSION.sql_mode, ',STRICT_ALL_TABLES')");
        try {
            outcome = Execute(batch);
        } catch (...) {
            // The batch's own error is the one to raise, whether or not the mode comes back.
            try {
                RunQuery(dbc_, "SET SESSION sql_mode = @nutv_sql_mode");
            } catch (...) {
            }
            throw;
        }
        RunQuery(dbc_, "SET SESSION sql_mode = @nutv_sql_mode");
    } else {
        outcome = Execute(batch);
    }
    if (outcome.ok) {
        facts.rowsBefore += static_cast<std::int64_t>(batch.rows.size());
        return;
    }

    std::size_t stayed = 0;
    try {
        stayed = RowsThatStayed(batch, outcome);
    } catch (...) {
        // The connection failed on the way: the batch's own error says what went wrong.
        if (outcome.error) std::rethrow_exception(outcome.error);
        throw;
    }
    facts.rowsBefore += static_cast<std::int64_t>(stayed);
    // The rows not in the table go one at a time, as they would have without batching
    // and with the keys numbered for them: the refused row fails again on its own and
    // raises its own error. Should all of them go in, the batch failed for a reason of
    // its own (its size, say) and nothing is lost.
    WriteSingly(batch, stayed);
}

bool BatchInserter::NumberKeys(Batch& batch) {
    if (!facts_->keysCountable || !autoIncrementColumn_) return false;
    const Value name(table_);
    const QueryResult answer = RunQuery(dbc_,
                                        "SELECT AUTO_INCREMENT FROM information_schema.TABLES "
                                        "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?",
                                        {&name});
    if (answer.rows.empty() || answer.rows[0].empty() || answer.rows[0][0].IsNull()) return false;
    // One row at a time, each row takes the counter and moves it on by one. So the rows
    // get the counter's next values in order, and a row that gives its key moves the
    // counter past it: the counter ends where one row at a time leaves it.
    const std::int64_t counter = std::stoll(answer.rows[0][0].Text());
    const std::size_t c = *autoIncrementColumn_;
    for (std::size_t r = 0; r < batch.rows.size(); ++r) {
        batch.rows[r][c] = Value(counter + static_cast<std::int64_t>(r));
        batch.assigned[r][c] = 1;
    }
    batch.used[c] = 1;
    batch.kinds[c] = Kind::Integer;
    return true;
}

std::size_t BatchInserter::RowsThatStayed(const Batch& batch, const Outcome& outcome) {
    if (outcome.stayed) return *outcome.stayed;
    if (!facts_->transactional) {
        // Without transactions the rows before the refused one stay, and the driver does
        // not say how many there were: the row count does.
        const std::int64_t added = Scalar("SELECT COUNT(*) FROM " + quotedTable_) - facts_->rowsBefore;
        return static_cast<std::size_t>(
            std::clamp<std::int64_t>(added, 0, static_cast<std::int64_t>(batch.rows.size())));
    }
    // None of the batch stayed. Its keys were numbered before it went, so its rows sent
    // again get the same keys whatever the failed statement did to the counter.
    return 0;
}

}  // namespace ado::odbc
