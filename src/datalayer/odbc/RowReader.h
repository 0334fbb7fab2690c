#pragma once
// Internal: reads the rows of a statement's result into Values, column by column, long
// values in pieces.
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

class RowReader {
public:
    RowReader(Statement& statement, const std::vector<Column>& columns);
    // Fetches the next row into `row`; false at the end of the result.
    bool Next(Row& row);

private:
    Value ReadColumn(std::size_t index);
    // Reads a character or binary value whole; false for NULL.
    bool ReadPieces(SQLUSMALLINT column, SQLSMALLINT cType, std::string& out);

    Statement& statement_;
    const std::vector<Column>& columns_;
    std::vector<char> piece_;
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
