#pragma once
// Internal to the data layer: the state behind a Recordset, and the two seams through
// which a recordset over a connection reads rows and writes changes.
#include <cstddef>
#include <memory>
#include <vector>

#include "datalayer/Recordset.h"
#include "datalayer/Value.h"

namespace ado {

using Row = std::vector<Value>;

// Delivers the rows of a forward-only recordset one at a time.
class RowSource {
public:
    virtual ~RowSource() = default;
    // Reads the next row into `row`; false at the end.
    virtual bool Next(Row& row) = 0;
    // Starts again from the first row (runs the query anew).
    virtual void Restart() = 0;
};

// Writes the changes of an updatable recordset back to its table.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // Inserts a row holding exactly the assigned fields.
    virtual void Insert(const Row& values, const std::vector<char>& assigned) = 0;
    // Changes the assigned fields of the row that was read as `original`.
    virtual void Update(const Row& original, const Row& values, const std::vector<char>& assigned) = 0;

    // Batch mode: Queue holds a new row back, Flush inserts the rows held (a refused row
    // raises its error, and it and the rows after it are dropped), Drop forgets them.
    // By value: a writer that queues rows takes them over.
    virtual void Queue(Row values, std::vector<char> assigned) {  // NOLINT(performance-unnecessary-value-param)
        Insert(values, assigned);
    }
    virtual void Flush() {}
    virtual void Drop() {}
    virtual std::size_t Queued() const { return 0; }
    // Of the rows sent so far, those stored by LOAD DATA.
    virtual std::size_t LoadedRows() const { return 0; }
};

struct Recordset::Impl {
    enum class Edit { None, Adding, Editing };

    bool open = false;
    bool connected = false;    // fields and rows come from a connection
    bool forwardOnly = false;  // rows come one at a time from `source`
    bool updatable = false;
    bool batch = false;  // added records are queued and sent many at a time

    // Static and in-memory recordsets hold all rows; a forward-only one holds only the
    // current row (never the records added to it). `position == rows.size()` is the end.
    std::vector<Row> rows;
    std::size_t position = 0;
    std::size_t rowsRead = 0;  // forward-only: rows fetched so far
    bool rowTaken = false;     // forward-only: a value of the current row was moved out

    Edit edit = Edit::None;
    Row buffer;                  // the record being added or edited
    std::vector<char> assigned;  // which fields of `buffer` were set

    std::unique_ptr<RowSource> source;
    std::unique_ptr<RowWriter> writer;
    Connection* connection = nullptr;
    std::shared_ptr<Connection> connectionRef;  // keeps a shared connection alive while open
};

}  // namespace ado
