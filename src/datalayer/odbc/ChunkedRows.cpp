#include "datalayer/odbc/ChunkedRows.h"

#include <algorithm>

#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

// About what a row costs the driver and us: its bytes and a little bookkeeping.
std::size_t Footprint(const Row& row) {
    std::size_t bytes = 64;
    for (const Value& v : row) {
        bytes += 16;
        if (v.IsText()) bytes += v.AsText().size();
        if (v.IsBytes()) bytes += v.AsBytes().data.size();
    }
    return bytes;
}

}  // namespace

ChunkedRows::ChunkedRows(const Dbc& dbc, const std::string& table, const OrderingKey& key)
    : lock_(dbc.lock), first_(dbc), next_(dbc) {
    // FORCE INDEX: without it the optimizer may scan and sort the whole table for each
    // chunk (a MyISAM table does for the first one). The bound on a composite key is
    // spelled out as "a > ? OR (a = ? AND b > ?)": this server does not use the row
    // comparison "(a, b) > (?, ?)" as a range and would scan the whole table per chunk.
    const std::string from =
        "SELECT * FROM " + QuoteIdentifier(table) + " FORCE INDEX (" + QuoteIdentifier(key.index) + ")";
    std::string order, after;
    for (const std::string& column : key.columns) order += (order.empty() ? "" : ", ") + QuoteIdentifier(column);
    for (std::size_t i = key.columns.size(); i-- > 0;) {
        const std::string name = QuoteIdentifier(key.columns[i]);
        after = after.empty() ? name + " > ?" : name + " > ? OR (" + name + " = ? AND (" + after + "))";
    }
    firstSql_ = from + " ORDER BY " + order + " LIMIT ?";
    nextSql_ = from + " WHERE " + after + " ORDER BY " + order + " LIMIT ?";
}

std::unique_ptr<ChunkedRows> ChunkedRows::Open(const Dbc& dbc, const std::string& table, const OrderingKey& key,
                                               bool updatable) {
    auto rows = std::make_unique<ChunkedRows>(dbc, table, key);
    const ConnectionGuard hold(*rows->lock_);
    const Value limit(static_cast<std::int64_t>(rows->chunkRows_));
    rows->first_.ExecDirect(rows->firstSql_, {&limit});
    rows->columns_ = DescribeResult(rows->first_, updatable);
    for (const std::string& name : key.columns) {
        std::size_t position = 0;
        while (position < rows->columns_.size() && !SameColumnName(rows->columns_[position].name, name)) ++position;
        if (position == rows->columns_.size() || !KeyColumnCarriesOrder(rows->columns_[position])) return nullptr;
        rows->keyColumns_.push_back(position);
    }
    rows->current_ = rows->ReadResult(rows->first_);
    return rows;
}

ChunkedRows::~ChunkedRows() {
    WaitForPending();
}

void ChunkedRows::WaitForPending() noexcept {
    if (!pending_.valid()) return;
    try {
        pending_.get();
    } catch (...) {
        // A chunk nobody will read: its failure is nobody's business.
    }
}

ChunkedRows::Chunk ChunkedRows::ReadChunk(const std::vector<Value>& after) {
    // The query and the reading of its result are one turn on the connection.
    const ConnectionGuard hold(*lock_);
    const Value limit(static_cast<std::int64_t>(chunkRows_));
    if (after.empty()) {
        first_.ExecDirect(firstSql_, {&limit});
        return ReadResult(first_);
    } else {
        // Each key column but the last appears twice in the bound: "a > ? OR (a = ? AND ...".
        std::vector<const Value*> parameters;
        for (std::size_t i = 0; i < after.size(); ++i) {
            parameters.push_back(&after[i]);
            if (i + 1 < after.size()) parameters.push_back(&after[i]);
        }
        parameters.push_back(&limit);
        next_.ExecDirect(nextSql_, parameters);
        return ReadResult(next_);
    }
}

ChunkedRows::Chunk ChunkedRows::ReadResult(Statement& statement) {
    Chunk chunk;
    chunk.rows.reserve(chunkRows_);
    RowReader reader(statement, columns_, RowReader::Mode::Bound);
    std::size_t bytes = 0;
    Row row;
    while (reader.Next(row)) {
        bytes += Footprint(row);
        chunk.rows.push_back(std::move(row));
        row = Row();
    }
    statement.CloseCursor();
    chunk.last = chunk.rows.size() < chunkRows_;
    if (!chunk.rows.empty()) {
        for (std::size_t k : keyColumns_) chunk.lastKey.push_back(chunk.rows.back()[k]);
        chunkRows_ =
            std::clamp(kChunkBytes / std::max<std::size_t>(1, bytes / chunk.rows.size()), kMinChunkRows, kMaxChunkRows);
    }
    return chunk;
}

void ChunkedRows::StartNext() {
    if (pending_.valid() || current_.last || current_.rows.empty()) return;
    pending_ = std::async(std::launch::async, [this, after = current_.lastKey] { return ReadChunk(after); });
}

bool ChunkedRows::Next(Row& row) {
    for (;;) {
        if (position_ < current_.rows.size()) {
            row = std::move(current_.rows[position_++]);
            if (position_ >= 2) StartNext();
            return true;
        }
        if (current_.last) return false;
        StartNext();
        current_ = pending_.get();  // a failure to read the chunk is raised here
        position_ = 0;
    }
}

void ChunkedRows::Restart() {
    WaitForPending();
    current_ = ReadChunk({});
    position_ = 0;
}

}  // namespace ado::odbc
