#pragma once
// Internal: the rows of a table in the order of its key, read a chunk at a time
// ("WHERE key > last ORDER BY key LIMIT n"). The driver holds a whole result in client
// memory, so reading a big table in one SELECT would hold the whole table; this holds one
// chunk, sized to about kChunkBytes of values.
#include <sql.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Columns.h"
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

    // `columns` describe `SELECT * FROM table`; `key` is the table's ordering key.
    ChunkedRows(SQLHDBC dbc, const std::string& table, std::vector<Column> columns, OrderingKey key);
    ChunkedRows(const ChunkedRows&) = delete;
    ChunkedRows& operator=(const ChunkedRows&) = delete;

    bool Next(Row& row) override;
    void Restart() override;

private:
    void StartChunk();

    std::vector<Column> columns_;
    OrderingKey key_;
    Statement first_;  // the first chunk: no lower bound
    Statement next_;   // every later chunk: rows after the last key read
    RowReader firstReader_, nextReader_;
    RowReader* reader_ = nullptr;
    Statement* current_ = nullptr;

    std::vector<Value> lastKey_;  // key values of the last row read
    bool started_ = false;
    bool exhausted_ = false;
    std::size_t chunkRows_ = kFirstChunkRows;
    std::size_t readInChunk_ = 0;
    std::size_t bytesInChunk_ = 0;
};

}  // namespace ado::odbc
