#include "datalayer/odbc/ChunkedRows.h"

#include <algorithm>

#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

// About what a value costs the driver and us: its bytes and a little bookkeeping.
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

ChunkedRows::ChunkedRows(SQLHDBC dbc, const std::string& table, std::vector<Column> columns, OrderingKey key)
    : columns_(std::move(columns)),
      key_(std::move(key)),
      first_(dbc),
      next_(dbc),
      firstReader_(first_, columns_),
      nextReader_(next_, columns_) {
    // FORCE INDEX: without it the optimizer may scan and sort the whole table for each
    // chunk (a MyISAM table does for the first one). The bound on a composite key is
    // spelled out as "a > ? OR (a = ? AND b > ?)": the row comparison "(a, b) > (?, ?)"
    // is not used as a range by this server and ends in a full scan per chunk.
    std::string from = "SELECT * FROM " + QuoteIdentifier(table) + " FORCE INDEX (" + QuoteIdentifier(key_.index) + ")";
    std::string order;
    for (std::size_t k : key_.columns) order += (order.empty() ? "" : ", ") + QuoteIdentifier(columns_[k].name);
    std::string after;
    for (std::size_t i = key_.columns.size(); i-- > 0;) {
        const std::string name = QuoteIdentifier(columns_[key_.columns[i]].name);
        after = after.empty() ? name + " > ?" : name + " > ? OR (" + name + " = ? AND (" + after + "))";
    }
    first_.Prepare(from + " ORDER BY " + order + " LIMIT ?");
    next_.Prepare(from + " WHERE " + after + " ORDER BY " + order + " LIMIT ?");
}

void ChunkedRows::StartChunk() {
    const Value limit(static_cast<std::int64_t>(chunkRows_));
    if (current_) current_->CloseCursor();
    if (lastKey_.empty()) {
        first_.Execute({&limit});
        current_ = &first_;
        reader_ = &firstReader_;
    } else {
        // Each key column but the last appears twice in the bound: "a > ? OR (a = ? AND ...".
        std::vector<const Value*> parameters;
        for (std::size_t i = 0; i < lastKey_.size(); ++i) {
            parameters.push_back(&lastKey_[i]);
            if (i + 1 < lastKey_.size()) parameters.push_back(&lastKey_[i]);
        }
        parameters.push_back(&limit);
        next_.Execute(parameters);
        current_ = &next_;
        reader_ = &nextReader_;
    }
    readInChunk_ = 0;
    bytesInChunk_ = 0;
}

bool ChunkedRows::Next(Row& row) {
    if (exhausted_) return false;
    if (!started_) {
        started_ = true;
        StartChunk();
    }
    for (;;) {
        if (reader_->Next(row)) {
            ++readInChunk_;
            bytesInChunk_ += Footprint(row);
            lastKey_.resize(key_.columns.size());
            for (std::size_t i = 0; i < key_.columns.size(); ++i) lastKey_[i] = row[key_.columns[i]];
            return true;
        }
        // A chunk shorter than asked for was the last one.
        if (readInChunk_ < chunkRows_) {
            exhausted_ = true;
            current_->CloseCursor();
            current_ = nullptr;
            return false;
        }
        chunkRows_ = std::clamp(kChunkBytes / std::max<std::size_t>(1, bytesInChunk_ / readInChunk_), kMinChunkRows,
                                kMaxChunkRows);
        StartChunk();
    }
}

void ChunkedRows::Restart() {
    if (current_) current_->CloseCursor();
    current_ = nullptr;
    lastKey_.clear();
    exhausted_ = false;
    started_ = true;
    StartChunk();
}

}  // namespace ado::odbc
