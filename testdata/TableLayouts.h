#pragma once
#include <span>
#include <string_view>

// The two editions' customer tables written down as data: one row per column with its
// declaration in the older edition (Tarn), in the newer edition (Velm) and how its values
// are made up. Schema.cpp turns this into DDL and column descriptions, RowSource.cpp into rows.
namespace testdata::layout {

// How a column's values are made up. The argument of a column (ColumnLayout::arg) refines it.
enum class Gen {
    Serial,      // key 1, 2, 3 ... (arg: first value)
    Code,        // arg prefix followed by a six-digit running number: C000001
    Ref,         // the key of a random row of table arg
    RefCycle,    // the key of row (i mod n) of table arg: unique pairs with RefSpread
    RefSpread,   // arg "table/other": the key of row (i / rows(other)) mod n of table
    LineSeq,     // order lines: the line's key (with gaps)
    LineOrder,   // order lines: the order number the line belongs to
    LineParent,  // order lines: the key of the parent line, or the line's own key
    Word,        // a word of the vocabulary named by arg
    PersonName,
    CompanyName,
    ProductName,
    Address,
    Phone,
    Mobile,
    Email,
    BizNo,
    Zip,
    Memo,
    Title,
    LogText,
    Barcode,
    CardNo,
    AccountNo,
    CarNo,
    Ip,
    Mac,
    SerialNo,
    Hash,
    YesNo,     // 'Y' or 'N' (arg: percent of 'Y', default 80)
    Int,       // arg "lo..hi"
    Money,     // whole won in arg "lo..hi", multiples of 10
    Price,     // arg "lo..hi", with cents where the column has a scale
    Qty,       // arg "lo..hi", with fractions where the column has a scale
    Rate,      // percent in arg "lo..hi" in steps of 0.5
    Quarter,   // arg "lo..hi" in steps of 0.25 (exact in FLOAT)
    Weight,    // arg "lo..hi" in steps of 0.125 (exact in DOUBLE)
    Date,      // arg "from..to" years (default 2015..2024); formatted by the column's type
    DateTime,  // as Date, with a time of day
    Time,      // a time of day, minutes only
    TextDate,  // a date written as text; oddPct of the rows hold the empty text instead
    MonthDay,  // "MM-DD"
    Blob,      // arg "min..max" bytes of a PNG-like image
};

// One column. tarn/velm: the declaration after the column name ("VARCHAR(20) NOT NULL
// DEFAULT ''"); empty when the edition lacks the column, "=" when velm declares it as tarn.
// nullPct: share of rows without a value (NULL, or DEFAULT where the column is NOT NULL).
// oddPct: share of zero dates (date columns of the older edition) or empty texts (TextDate).
struct ColumnLayout {
    std::string_view name;
    std::string_view tarn;
    std::string_view velm;
    Gen gen;
    std::string_view arg = {};
    int nullPct = 0;
    int oddPct = 0;
};

enum class Rows { Fixed, Scaled };

// One table. Keys and index lists are comma-separated column names; indexes holds several
// lists separated by ';' and applies to both editions. The newer edition is always InnoDB
// in utf8mb4; velmKey/velmUnique/velmOrder are empty where it keeps the older layout.
struct TableLayout {
    std::string_view name;
    std::string_view tarnEngine;
    std::string_view tarnCharset;
    int baseRows;  // rows at size factor 1
    Rows rows;     // Fixed: master data that does not grow with the size factor
    std::span<const ColumnLayout> columns;
    std::string_view tarnKey;
    std::string_view indexes = {};
    std::string_view velmKey = {};
    std::string_view velmUnique = {};
    std::string_view velmOrder = {};  // the newer edition's column order, where it differs
};

// The 80 catalogue tables, in catalogue order.
std::span<const TableLayout> Tables();
// Throws std::out_of_range for a name that is not a catalogue table.
const TableLayout& FindTable(std::string_view name);

}  // namespace testdata::layout
