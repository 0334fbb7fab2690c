#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "testdata/Schema.h"

// Made-up but realistic rows for the catalogue tables. The same seed and size factor give
// the same rows; a column both editions have gets the same value in both (as its type
// takes it), so a database of either edition can be filled from one seed.
namespace testdata {

struct Cell {
    enum class Kind {
        Null,
        Default,  // leave the column to its declared default
        Text,     // UTF-8 text, also dates and times ("2021-03-04", "0000-00-00 00:00:00")
        Number,   // an SQL number literal, formatted with the column's scale
        Binary,   // raw bytes
    };
    Kind kind = Kind::Null;
    std::string data;

    bool operator==(const Cell&) const = default;
};

// One row, in the column order of ColumnsOf(edition, table).
using Row = std::vector<Cell>;

// Rows of a table at a size factor: master tables (users, offices, storehouses, ...) keep a
// fixed number, the others scale and keep at least one row; some tables stay empty.
// Size factor 1 makes a small customer (about 2,000 rows); 1000 a big one (about 1.8M rows,
// `sale` 400,000, `ordbook_d` 120,000). The factor must be positive.
std::int64_t RowCount(std::string_view table, double sizeFactor);
std::int64_t TotalRowCount(double sizeFactor);

// Calls `sink` for every row of the table, in key order.
void ForEachRow(Edition edition, std::string_view table, double sizeFactor, std::uint64_t seed,
                const std::function<void(const Row&)>& sink);

// The date columns in which the older edition's rows hold zero dates ('0000-00-00' or
// '0000-00-00 00:00:00'), as (table, column).
std::vector<std::pair<std::string, std::string>> ZeroDateColumns();

}  // namespace testdata
