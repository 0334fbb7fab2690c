#pragma once
// Internal: reads the rows of a statement's result into Values, column by column, long
// values in pieces. Bound, the short columns land in buffers of the reader's own with each
// fetch, and only the long ones (TEXT, BLOB) are asked for one by one.
#include <memory>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

class RowReader {
public:
    enum class Mode { ColumnByColumn, Bound };
    RowReader(Statement& statement, const std::vector<Column>& columns, Mode mode = Mode::ColumnByColumn);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;
    // Fetches the next row into `row`; false at the end of the result.
    bool Next(Row& row);

private:
    // A short column's buffer, which the driver fills with every fetch.
    struct Binding {
        std::vector<char> buffer;
        SQLLEN indicator = 0;
    };
    void BindShortColumns();
    Value ReadColumn(std::size_t index);
    Value BoundValue(std::size_t index) const;
    // Reads a character or binary value whole; false for NULL.
    bool ReadPieces(SQLUSMALLINT column, SQLSMALLINT cType, std::string& out);

    Statement& statement_;
    const std::vector<Column>& columns_;
    std::unique_ptr<char[]> piece_;  // where long values arrive, a piece at a time
    std::vector<Binding> bindings_;  // per column; an empty buffer: read column by column
    bool bound_ = false;
};

// The rows of a forward-only recordset, straight from the statement that produced them.
class ForwardRows : public RowSource {
public:
    // Takes a statement that has just run `sql` and has a result.
    ForwardRows(Statement statement, std::string sql, std::vector<Column> columns);
    ForwardRows(const ForwardRows&) = delete;
    ForwardRows& operator=(const ForwardRows&) = delete;
    bool Next(Row& row) override;
    void Restart() override;

private:
    Statement statement_;
    std::string sql_;
    std::vector<Column> columns_;
    RowReader reader_;
};

}  // namespace ado::odbc
