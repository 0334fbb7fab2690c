#include "datalayer/odbc/BatchInserter.h"

#include <sqlext.h>

#include <algorithm>
#include <exception>

#include "common/VbError.h"
#include "datalayer/odbc/Diagnostics.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

constexpr const char* kSource = "ado.Recordset";

bool HasModeFlag(const std::string& mode, const std::string& flag) {
    std::size_t start = 0;
    while (start <= mode.size()) {
        std::size_t end = mode.find(',', start);
        if (end == std::string::npos) end = mode.size();
        if (mode.compare(start, end - start, flag) == 0) return true;
        start = end + 1;
    }
    return false;
}

// One column's parameter array.
struct ColumnArray {
    std::vector<SQLLEN> indicators;
    std::vector<char> bytes;
    std::vector<std::int64_t> integers;
    std::vector<double> doubles;
};

}  // namespace

BatchInserter::BatchInserter(SQLHDBC dbc, std::string table, std::vector<std::string> columns, SingleInsert single)
    : dbc_(dbc),
      table_(std::move(table)),
      quotedTable_(QuoteIdentifier(table_)),
      columns_(std::move(columns)),
      single_(std::move(single)),
      kinds_(columns_.size(), Kind::None),
      widths_(columns_.size(), 0),
      used_(columns_.size(), 0) {}

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
    // A column binds one kind of value for the whole batch, and every row takes as many
    // bytes in a column's array as the longest value in it.
    bool fits = rows_.size() < kMaxRows;
    std::size_t rowBytes = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        std::size_t width = widths_[i];
        if (assigned[i]) {
            const Kind kind = kindOf(values[i]);
            if (kind != Kind::None && kinds_[i] != Kind::None && kind != kinds_[i]) fits = false;
            width = std::max(width, widthOf(values[i]));
        }
        rowBytes += sizeof(SQLLEN) + std::max<std::size_t>(width, sizeof(double));
    }
    if (!rows_.empty() && (!fits || (rows_.size() + 1) * rowBytes > kMaxBytes)) Flush();

    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!assigned[i]) continue;
        used_[i] = 1;
        const Kind kind = kindOf(values[i]);
        if (kind != Kind::None) kinds_[i] = kind;
        widths_[i] = std::max(widths_[i], widthOf(values[i]));
    }
    rows_.push_back(std::move(values));
    assigned_.push_back(std::move(assigned));
}

void BatchInserter::Drop() {
    Clear();
}

void BatchInserter::Clear() {
    rows_.clear();
    assigned_.clear();
    std::fill(kinds_.begin(), kinds_.end(), Kind::None);
    std::fill(widths_.begin(), widths_.end(), 0);
    std::fill(used_.begin(), used_.end(), 0);
}

const BatchInserter::Facts& BatchInserter::TableFacts() {
    if (facts_) return *facts_;
    Facts facts;
    const Value name(table_);
    // information_schema does not list temporary tables: such a table counts as one whose
    // failed statements may leave rows, which the row count then tells.
    const QueryResult engine = RunQuery(dbc_,
                                        "SELECT e.TRANSACTIONS FROM information_schema.TABLES t "
                                        "JOIN information_schema.ENGINES e ON e.ENGINE = t.ENGINE "
                                        "WHERE t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = ?",
                                        {&name});
    facts.transactional = !engine.rows.empty() && engine.rows[0][0].IsText() && engine.rows[0][0].AsText() == "YES";

    const QueryResult columns = RunQuery(dbc_, "SHOW COLUMNS FROM " + quotedTable_);
    const int field = columns.Column("Field"), extra = columns.Column("Extra");
    if (field >= 0 && extra >= 0)
        for (const Row& row : columns.rows)
            if (row[extra].IsText() && row[extra].AsText().find("auto_increment") != std::string::npos &&
                row[field].IsText())
                facts.autoIncrement = row[field].AsText();

    const QueryResult mode = RunQuery(dbc_, "SELECT @@SESSION.sql_mode");
    facts.sessionMode = mode.rows.empty() || mode.rows[0][0].IsNull() ? "" : mode.rows[0][0].Text();
    // Under STRICT_TRANS_TABLES a statement of several rows that meets a bad value in its
    // second or later row on a table without transactions stores an adjusted value with a
    // warning, where the same row on its own is refused. STRICT_ALL_TABLES refuses it in
    // every row, as one row at a time would.
    if (!facts.transactional && HasModeFlag(facts.sessionMode, "STRICT_TRANS_TABLES") &&
        !HasModeFlag(facts.sessionMode, "STRICT_ALL_TABLES"))
        facts.strictMode = facts.sessionMode + ",STRICT_ALL_TABLES";
    facts_ = std::move(facts);
    return *facts_;
}

void BatchInserter::SetSessionMode(const std::string& mode) {
    const Value value(mode);
    RunQuery(dbc_, "SET SESSION sql_mode = ?", {&value});
}

std::int64_t BatchInserter::CountRows() {
    const QueryResult count = RunQuery(dbc_, "SELECT COUNT(*) FROM " + quotedTable_);
    return count.rows.empty() ? 0 : count.rows[0][0].IsInteger() ? count.rows[0][0].AsInteger() : 0;
}

std::optional<std::int64_t> BatchInserter::AutoIncrementCounter() {
    const Value name(table_);
    const QueryResult counter = RunQuery(
        dbc_, "SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ?",
        {&name});
    if (counter.rows.empty() || counter.rows[0][0].IsNull()) return std::nullopt;
    const std::string text = counter.rows[0][0].Text();
    try {
        return std::stoll(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

BatchInserter::Outcome BatchInserter::Execute() {
    const std::size_t n = rows_.size();
    std::vector<std::size_t> used;
    std::string key, names, markers;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!used_[i]) continue;
        used.push_back(i);
        key += std::to_string(i) + ':' + static_cast<char>('0' + static_cast<int>(kinds_[i])) + ';';
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
    const SQLHSTMT h = it->second.get();

    std::vector<ColumnArray> arrays(used.size());
    for (std::size_t u = 0; u < used.size(); ++u) {
        const std::size_t c = used[u];
        ColumnArray& a = arrays[u];
        a.indicators.resize(n);
        const Kind kind = kinds_[c] == Kind::None ? Kind::Text : kinds_[c];
        const std::size_t stride = std::max<std::size_t>(widths_[c], 1);
        if (kind == Kind::Text || kind == Kind::Bytes) a.bytes.resize(n * stride);
        if (kind == Kind::Integer) a.integers.resize(n);
        if (kind == Kind::Double) a.doubles.resize(n);
        for (std::size_t r = 0; r < n; ++r) {
            const Value& v = rows_[r][c];
            if (!assigned_[r][c]) {
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
                  h, kSource);
    }

    std::vector<SQLUSMALLINT> status(n, SQL_PARAM_UNUSED);
    SQLULEN processed = 0;
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAM_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_PARAM_BIND_BY_COLUMN), 0), h,
              kSource);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(n)), 0), h,
              kSource);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0), h, kSource);
    CheckStmt(SQLSetStmtAttr(h, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0), h, kSource);

    Outcome outcome;
    const SQLRETURN rc = SQLExecute(h);
    if (!SQL_SUCCEEDED(rc)) {
        outcome.ok = false;
        try {
            CheckStmt(rc, h, kSource);
        } catch (...) {
            outcome.error = std::current_exception();
        }
    } else {
        // This driver sends the array to the server in one bulk command. Where it cannot,
        // it runs the rows one by one, stops at a refused row and still answers with
        // success: only the status array tells.
        std::size_t ok = 0;
        while (ok < n && (status[ok] == SQL_PARAM_SUCCESS || status[ok] == SQL_PARAM_SUCCESS_WITH_INFO)) ++ok;
        if (processed != n || ok != n) {
            outcome.ok = false;
            outcome.stayed = ok;
        }
    }
    // The arrays go away with this call: nothing of them may stay bound.
    SQLFreeStmt(h, SQL_RESET_PARAMS);
    SQLSetStmtAttr(h, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
    SQLSetStmtAttr(h, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(1)), 0);
    return outcome;
}

void BatchInserter::Flush() {
    if (rows_.empty()) return;
    // Whatever happens below, the queue is done with when this returns.
    struct Done {
        BatchInserter& self;
        ~Done() { self.Clear(); }
    } done{*this};

    if (std::none_of(used_.begin(), used_.end(), [](char u) { return u != 0; })) {
        // Rows that assign nothing have no parameters to send in an array.
        for (std::size_t r = 0; r < rows_.size(); ++r) single_(rows_[r], assigned_[r]);
        return;
    }

    const Facts& facts = TableFacts();
    // What a failure needs to undo or to know: the auto-increment counter before the batch
    // (a failed batch on InnoDB spends counter values though it leaves no rows), or the
    // number of rows before it (a failed batch on MyISAM leaves the rows before the
    // refused one, and the driver does not say how many).
    std::optional<std::int64_t> counter, before;
    if (facts.transactional) {
        if (facts.autoIncrement) counter = AutoIncrementCounter();
    } else {
        before = CountRows();
    }

    if (facts.strictMode) SetSessionMode(*facts.strictMode);
    Outcome outcome;
    try {
        outcome = Execute();
    } catch (...) {
        if (facts.strictMode) SetSessionMode(facts.sessionMode);
        throw;
    }
    if (facts.strictMode) SetSessionMode(facts.sessionMode);
    if (outcome.ok) return;

    std::size_t stayed = 0;
    try {
        if (outcome.stayed) {
            stayed = *outcome.stayed;
        } else if (!facts.transactional) {
            const std::int64_t added = CountRows() - *before;
            stayed =
                static_cast<std::size_t>(std::clamp<std::int64_t>(added, 0, static_cast<std::int64_t>(rows_.size())));
        } else if (counter) {
            // Put the counter back, so the rows sent again get the keys they would have had.
            // ALTER TABLE needs the ALTER privilege; without it the keys come out higher.
            try {
                RunQuery(dbc_, "ALTER TABLE " + quotedTable_ + " AUTO_INCREMENT = " + std::to_string(*counter));
            } catch (const VbError&) {
            }
        }
    } catch (...) {
        // The connection failed on the way: the batch's own error says what went wrong.
        if (outcome.error) std::rethrow_exception(outcome.error);
        throw;
    }
    // The rows not in the table go one at a time, as they would have without batching:
    // the refused row fails again on its own and raises its own error.
    for (std::size_t r = stayed; r < rows_.size(); ++r) single_(rows_[r], assigned_[r]);
}

}  // namespace ado::odbc
