#include "datalayer/odbc/RowReader.h"

#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "datalayer/AdoErrors.h"
#include "datalayer/odbc/Diagnostics.h"

namespace ado::odbc {

namespace {

constexpr std::size_t kPieceSize = 64 * 1024;
// Short columns are bound when their longest value fits this many bytes.
constexpr std::size_t kMostBoundBytes = 8 * 1024;

// A FLOAT holds a single-precision value; widening it to double shows digits the column
// never had (3.14 -> 3.1400001049041748). The double named by the float's shortest
// decimal text reads back as the same float and prints as the column's value. Near the
// ends of FLOAT's range that text names a double beyond them (3.4028235e38 for the
// largest float), which no FLOAT column would take back: there the exact value stays.
double WidenFloat(float value) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    double result = value;
    if (ec == std::errc()) std::from_chars(text, end, result);
    return std::fabs(result) > std::numeric_limits<float>::max() ? static_cast<double>(value) : result;
}

SQLSMALLINT CTypeOf(ReadAs readAs) {
    switch (readAs) {
        case ReadAs::Integer:
            return SQL_C_SBIGINT;
        case ReadAs::Double:
            return SQL_C_DOUBLE;
        case ReadAs::Float:
            return SQL_C_FLOAT;
        case ReadAs::Bit:
            return SQL_C_BIT;
        case ReadAs::Binary:
            return SQL_C_BINARY;
        case ReadAs::Text:
        default:
            return SQL_C_CHAR;
    }
}

// The buffer a column's longest value needs, or 0 when it is long or of unknown length
// (it is then read column by column). Text of a utf8mb4 column takes up to four bytes a
// character, plus the driver's NUL; numbers, dates and times as text stay well under 64.
std::size_t BoundBytes(const Column& column) {
    switch (column.readAs) {
        case ReadAs::Integer:
        case ReadAs::Double:
            return 8;
        case ReadAs::Float:
            return sizeof(float);
        case ReadAs::Bit:
            return 1;
        case ReadAs::Binary:
        case ReadAs::Text:
        default:
            break;
    }
    if (column.sqlType == SQL_LONGVARCHAR || column.sqlType == SQL_WLONGVARCHAR ||
        column.sqlType == SQL_LONGVARBINARY || column.size == 0 || column.size > kMostBoundBytes)
        return 0;
    const std::size_t bytes = column.readAs == ReadAs::Binary ? column.size : 4 * column.size + 1;
    return bytes > kMostBoundBytes ? 0 : std::max<std::size_t>(bytes, 64);
}

}  // namespace

RowReader::RowReader(Statement& statement, const std::vector<Column>& columns, Mode mode)
    : statement_(statement), columns_(columns) {
    if (mode == Mode::Bound) BindShortColumns();
}

RowReader::~RowReader() {
    // The buffers go with the reader: the statement must not write into them afterwards.
    if (bound_) SQLFreeStmt(statement_.get(), SQL_UNBIND);
}

void RowReader::BindShortColumns() {
    const SQLHSTMT h = statement_.get();
    bindings_.resize(columns_.size());
    bound_ = true;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const std::size_t bytes = BoundBytes(columns_[i]);
        if (bytes == 0) continue;
        Binding& binding = bindings_[i];
        binding.buffer.resize(bytes);
        CheckStmt(SQLBindCol(h, static_cast<SQLUSMALLINT>(i + 1), CTypeOf(columns_[i].readAs), binding.buffer.data(),
                             static_cast<SQLLEN>(bytes), &binding.indicator),
                  h, source::kRecordset);
    }
}

bool RowReader::Next(Row& row) {
    if (!statement_.Fetch()) return false;
    row.resize(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i)
        row[i] = bound_ && !bindings_[i].buffer.empty() ? BoundValue(i) : ReadColumn(i);
    return true;
}

Value RowReader::BoundValue(std::size_t index) const {
    const Binding& binding = bindings_[index];
    if (binding.indicator == SQL_NULL_DATA) return Value();
    const char* data = binding.buffer.data();
    switch (columns_[index].readAs) {
        case ReadAs::Integer: {
            std::int64_t number = 0;
            std::memcpy(&number, data, sizeof number);
            return Value(number);
        }
        case ReadAs::Double: {
            double number = 0;
            std::memcpy(&number, data, sizeof number);
            return Value(number);
        }
        case ReadAs::Float: {
            float number = 0;
            std::memcpy(&number, data, sizeof number);
            return Value(WidenFloat(number));
        }
        case ReadAs::Bit:
            return Value(static_cast<int>(static_cast<unsigned char>(data[0])));
        default:
            break;
    }
    // Sized for the column's longest value, a text or binary buffer is never cut short;
    // should the driver say otherwise, the value is refused rather than cut.
    const std::size_t room = columns_[index].readAs == ReadAs::Text ? binding.buffer.size() - 1 : binding.buffer.size();
    if (binding.indicator < 0 || static_cast<std::size_t>(binding.indicator) > room)
        Raise(vberr::kProviderError, source::kRecordset,
              "열 " + columns_[index].name + "의 값이 읽기 버퍼보다 깁니다.");
    std::string bytes(data, static_cast<std::size_t>(binding.indicator));
    if (columns_[index].readAs == ReadAs::Binary) return Value(Bytes{std::move(bytes)});
    return Value(std::move(bytes));
}

Value RowReader::ReadColumn(std::size_t index) {
    const SQLHSTMT h = statement_.get();
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    SQLLEN indicator = 0;
    switch (columns_[index].readAs) {
        case ReadAs::Integer: {
            std::int64_t number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_SBIGINT, &number, 0, &indicator), h, source::kRecordset);
            return indicator == SQL_NULL_DATA ? Value() : Value(number);
        }
        case ReadAs::Double: {
            double number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_DOUBLE, &number, 0, &indicator), h, source::kRecordset);
            return indicator == SQL_NULL_DATA ? Value() : Value(number);
        }
        case ReadAs::Float: {
            float number = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_FLOAT, &number, 0, &indicator), h, source::kRecordset);
            return indicator == SQL_NULL_DATA ? Value() : Value(WidenFloat(number));
        }
        case ReadAs::Bit: {
            unsigned char bit = 0;
            CheckStmt(SQLGetData(h, column, SQL_C_BIT, &bit, 0, &indicator), h, source::kRecordset);
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
    // Made on first use and never cleared: a reader of short columns only needs none, and
    // the driver overwrites whatever a piece held.
    if (!piece_) piece_ = std::make_unique_for_overwrite<char[]>(kPieceSize);
    // A character piece ends with a NUL the driver adds; a binary piece uses the whole buffer.
    const std::size_t room = cType == SQL_C_CHAR ? kPieceSize - 1 : kPieceSize;
    out.clear();
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc =
            CheckStmt(SQLGetData(h, column, cType, piece_.get(), static_cast<SQLLEN>(kPieceSize), &indicator), h,
                      source::kRecordset);
        if (rc == SQL_NO_DATA) return true;  // the previous piece was the last
        if (indicator == SQL_NULL_DATA) return false;
        if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) <= room) {
            out.append(piece_.get(), static_cast<std::size_t>(indicator));
            return true;
        }
        // Truncated: a full piece arrived and more follows. Reserve the rest when known.
        if (indicator != SQL_NO_TOTAL && out.empty()) out.reserve(static_cast<std::size_t>(indicator));
        out.append(piece_.get(), room);
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
