#pragma once
// Internal: the rows of a table in the order of its key, read a chunk at a time
// ("WHERE key > last ORDER BY key LIMIT n"). The driver holds a whole result in client
// memory, so reading a big table in one SELECT would hold the whole table; this holds at
// most two chunks (the one being read and the next), each about kChunkBytes of values.
//
// The next chunk is read on a thread of its own while the rows of the current one are
// used, so that reading the source and writing the target overlap. It starts once the
// reader has moved past the first row (a recordset just opened is often followed by other
// statements on its connection; ODBC serializes calls on one connection either way) and
// it owns the statement until its chunk is taken.
#include <sql.h>

#include <cstddef>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/ConnectionLock.h"
#include "datalayer/odbc/RowReader.h"
#include "datalayer/odbc/Statement.h"
#include "datalayer/odbc/TableKey.h"

namespace ado::odbc {

class ChunkedRows : public RowSource {
public:
    static constexpr std::size_t kChunkBytes = 2 * 1024 * 1024;
    static constexpr std::size_t kFirstChunkRows = 1000;
    static constexpr std::size_t kMinChunkRows = 64;
    static constexpr std::size_t kMaxChunkRows = 10000;

    // Reads the first chunk of the table in the order of `key`; null when the key's
    // columns turn out not to carry an order (see KeyColumnCarriesOrder).
    static std::unique_ptr<ChunkedRows> Open(const Dbc& dbc, const std::string& table, const OrderingKey& key,
                                             bool updatable);
    ~ChunkedRows() override;
    ChunkedRows(const ChunkedRows&) = delete;
    ChunkedRows& operator=(const ChunkedRows&) = delete;

    const std::vector<Column>& Columns() const { return columns_; }
    bool Next(Row& row) override;
    void Restart() override;

    // Builds the queries only; Open runs the first.
    ChunkedRows(const Dbc& dbc, const std::string& table, const OrderingKey& key);

private:
    struct Chunk {
        std::vector<Row> rows;
        std::vector<Value> lastKey;  // the key of its last row
        bool last = false;           // shorter than asked for: nothing follows
    };
    // Runs the query of the chunk after `after` (the first one when empty) and reads it.
    Chunk ReadChunk(const std::vector<Value>& after);
    // Reads the rows of the chunk whose query has run on `statement`.
    Chunk ReadResult(Statement& statement);
    void StartNext();
    void WaitForPending() noexcept;

    std::shared_ptr<ConnectionMutex> lock_;  // the connection's, taken for each chunk
    // One statement per query text: this driver checks the markers bound against the
    // text a statement ran before.
    Statement first_;  // the first chunk: no lower bound
    Statement next_;   // every later chunk: rows after the last key read
    std::string firstSql_, nextSql_;
    std::vector<Column> columns_;
    std::vector<std::size_t> keyColumns_;  // positions of the key's columns
    std::size_t chunkRows_ = kFirstChunkRows;

    Chunk current_;
    std::size_t position_ = 0;    // next row of current_ to hand out
    std::future<Chunk> pending_;  // the next chunk, being read
};

}  // namespace ado::odbc
