#include "datalayer/odbc/BulkLoader.h"

#include <sqlext.h>

#include <algorithm>

#include "datalayer/odbc/LoadFormat.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

namespace {

// Text handed to the pipe in pieces of about this size.
constexpr std::size_t kPieceBytes = 256 * 1024;

// Runs a statement, telling whether it succeeded; never raises.
bool Run(SQLHDBC dbc, const std::string& sql) {
    try {
        Statement statement(dbc);
        statement.ExecDirect(sql);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

BulkLoader::BulkLoader(SQLHDBC dbc, std::string quotedTable, std::vector<std::string> columns)
    : dbc_(dbc), quotedTable_(std::move(quotedTable)), columns_(std::move(columns)) {}

std::string BulkLoader::LoadStatement(const std::vector<std::size_t>& direct,
                                      const std::vector<std::size_t>& chosen) const {
    // A column every row assigns is read straight into it; one that some rows leave out
    // is read into a variable with a flag beside it, and takes its default where the flag
    // says the row left it out, as an INSERT naming the column or not would.
    std::string fields, sets;
    for (std::size_t c : direct) fields += (fields.empty() ? "" : ", ") + QuoteIdentifier(columns_[c]);
    for (std::size_t c : chosen) {
        const std::string n = std::to_string(c);
        const std::string column = QuoteIdentifier(columns_[c]);
        fields += (fields.empty() ? "@v" : ", @v") + n + ", @a" + n;
        sets +=
            (sets.empty() ? " SET " : ", ") + column + " = IF(@a" + n + " = '1', @v" + n + ", DEFAULT(" + column + "))";
    }
    return "LOAD DATA LOCAL INFILE '" + pipe_->Path() + "' INTO TABLE " + quotedTable_ +
           " CHARACTER SET utf8mb4 FIELDS TERMINATED BY '\\t' ESCAPED BY '\\\\' LINES TERMINATED BY '\\n' (" + fields +
           ")" + sets;
}

bool BulkLoader::Load(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used) {
    if (unusable_ || rows.empty()) return false;
    if (!pipe_) {
        try {
            pipe_ = std::make_unique<RowPipe>();
        } catch (...) {
            unusable_ = true;
            return false;
        }
    }
    // A transaction already open around the copy is not this loader's to end.
    try {
        const QueryResult open = RunQuery(dbc_, "SELECT @@in_transaction");
        if (open.rows.empty() || open.rows[0][0].IsNull() || open.rows[0][0].Text() != "0") return false;
    } catch (...) {
        return false;
    }
    // A load of dates from date-times notes every row: the session keeps them all, so
    // that every condition can be seen (its default keeps 64).
    if (!conditionsKept_) conditionsKept_ = Run(dbc_, "SET SESSION max_error_count = 65535");
    if (!Run(dbc_, "START TRANSACTION")) return false;
    const bool loaded = LoadInTransaction(rows, assigned, used);
    if (loaded && Run(dbc_, "COMMIT")) return true;
    Run(dbc_, "ROLLBACK");
    return false;
}

bool BulkLoader::LoadInTransaction(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used) {
    std::vector<std::size_t> direct, chosen;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if (!used[c]) continue;
        const bool everyRow = std::all_of(assigned.begin(), assigned.end(), [c](const Mask& m) { return m[c] != 0; });
        (everyRow ? direct : chosen).push_back(c);
    }
    if (direct.empty() && chosen.empty()) return false;

    // The text is formatted on the pipe's thread while the driver sends what it has read.
    pipe_->Start([&rows, &assigned, &direct, &chosen](const auto& write) {
        std::string piece;
        piece.reserve(kPieceBytes + 4096);
        for (std::size_t r = 0; r < rows.size(); ++r) {
            bool first = true;
            auto separate = [&] {
                if (!first) piece += '\t';
                first = false;
            };
            for (std::size_t c : direct) {
                separate();
                AppendLoadField(piece, rows[r][c]);
            }
            for (std::size_t c : chosen) {
                separate();
                if (assigned[r][c]) AppendLoadField(piece, rows[r][c]);
                piece += assigned[r][c] ? "\t1" : "\t0";
            }
            piece += '\n';
            if (piece.size() >= kPieceBytes) {
                write(piece);
                piece.clear();
            }
        }
        if (!piece.empty()) write(piece);
    });
    bool stored = false;
    try {
        Statement load(dbc_);
        const SQLRETURN rc =
            SQLExecDirect(load.get(), reinterpret_cast<SQLCHAR*>(LoadStatement(direct, chosen).data()), SQL_NTS);
        SQLLEN count = -1;
        if (rc == SQL_SUCCESS && SQL_SUCCEEDED(SQLRowCount(load.get(), &count)))
            stored = count == static_cast<SQLLEN>(rows.size());
    } catch (...) {
        stored = false;
    }
    pipe_->Finish();
    if (!stored) return false;
    return Silent();
}

bool BulkLoader::Silent() {
    // A load turns what an INSERT refuses into warnings (a value cut short, a duplicate
    // skipped, a Null made 0). Notes are what an INSERT of the same values notes as well
    // (a time cut from a date, say), with the same values stored: they may stay. All the
    // conditions must be in view to tell.
    try {
        const QueryResult count = RunQuery(dbc_, "SELECT @@warning_count");
        if (count.rows.empty() || count.rows[0][0].IsNull()) return false;
        const std::string said = count.rows[0][0].Text();
        if (said == "0") return true;
        const QueryResult conditions = RunQuery(dbc_, "SHOW WARNINGS");
        const int level = conditions.Column("Level");
        if (level < 0 || std::to_string(conditions.rows.size()) != said) return false;
        return std::all_of(conditions.rows.begin(), conditions.rows.end(),
                           [level](const Row& row) { return row[level].Text() == "Note"; });
    } catch (...) {
        return false;
    }
}

}  // namespace ado::odbc
