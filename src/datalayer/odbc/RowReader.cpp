#include "datalayer/odbc/RowReader.h"

#include <sqlext.h>

#include <charconv>
#include <cstdint>

#include "datalayer/odbc/Diagnostics.h"

namespace ado::odbc {

namespace {

constexpr const char* kSource = "ado.Recordset";
constexpr std::size_t kPieceSize = 64 * 1024;

// A FLOAT holds a single-precision value; widening it to double shows digits the column
// never had (3.14 -> 3.1400001049041748). The double named by the float's shortest
// decimal text reads back as the same float and prints as the column's value.
double WidenFloat(float value) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    double result = value;
    if (ec == std::errc()) std::from_chars(text, end, result);
    return result;
}

}  // namespace

RowReader::RowReader(Statement& statement, const std::vector<Column>& columns)
    : statement_(statement), columns_(columns), piece_(kPieceSize) {}

bool RowReader::Next(Row& row) {
    if (!statement_.Fetch()) return false;
    row.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) row[i] = ReadColumn(i);
    return true;
}

Value RowReader::ReadColumn(std::size_t index) {
    const SQLHSTMT h = statement_.get();
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    SQLLEN indicator = 0;
    switch (columns_[index].readAs) {
        case ReadAs::Integer: {
            std::int64_t number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_SBIGINT, &number, 0, &indicator), h, kSource);
            return indicator == SQL_NULL_DATA ? Value() : Value(number);
        }
        case ReadAs::Double: {
            double number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_DOUBLE, &number, 0, &indicator), h, kSource);
            return indicator == SQL_NULL_DATA ? Value() : Value(number);
        }
        case ReadAs::Float: {
            float number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_FLOAT, &number, 0, &indicator), h, kSource);
            return indicator == SQL_NULL_DATA ? Value() : Value(WidenFloat(number));
        }
        case ReadAs::Bit: {
            unsigned char bit = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_BIT, &bit, 0, &indicator), h, kSource);
            return indicator == SQL_NULL_DATA ? Value() : Value(static_cast<int>(bit));
        }
        case ReadAs::Binary: {
            Bytes bytes;
            return ReadPieces(column, SQL_C_BINARY, bytes.data) ? Value(std::move(bytes)) : Value();
        }
        case ReadAs::Text:
        default: {
            std::string text;
            return ReadPieces(column, SQL_C_CHAR, text) ? Value(std::move(text)) : Value();
        }
    }
}

bool RowReader::ReadPieces(SQLUSMALLINT column, SQLSMALLINT cType, std::string& out) {
    const SQLHSTMT h = statement_.get();
    // A character piece ends with a NUL the driver adds; a binary piece uses the whole buffer.
    const std::size_t room = cType == SQL_C_CHAR ? piece_.size() - 1 : piece_.size();
    out.clear();
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = CheckStmt(
            SQLGetData(h, column, cType, piece_.data(), static_cast<SQLLEN>(piece_.size()), &indicator), h, kSource);
        if (rc == SQL_NO_DATA) return true;  // the previous piece was the last
        if (indicator == SQL_NULL_DATA) return false;
        if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= room) {
            out.append(piece_.data(), static_cast<std::size_t>(indicator));
            return true;
        }
        // Truncated: a full piece arrived and more follows. Reserve the rest when known.
        if (indicator != SQL_NO_TOTAL && out.empty()) out.reserve(static_cast<std::size_t>(indicator));
        out.append(piece_.data(), room);
    }
}

ForwardRows::ForwardRows(Statement statement, std::string sql, std::vector<Column> columns)
    : statement_(std::move(statement)),
      sql_(std::move(sql)),
      columns_(std::move(columns)),
      reader_(statement_, columns_) {}

bool ForwardRows::Next(Row& row) {
    return reader_.Next(row);
}

void ForwardRows::Restart() {
    statement_.CloseCursor();
    statement_.ExecDirect(sql_);
}

}  // namespace ado::odbc
