#pragma once
// Internal: how each column's values go into a LOAD DATA so that the table stores the
// bytes an array-bound INSERT of the same values stores. The load reads every field as
// text and the server turns text into a column value by string rules, which differ from
// those of a bound number (into YEAR the text '0' is 2000, the integer 0 is 0000; into
// BIT the text's character codes; '2.5' into INT rounds up, the double 2.5 to even). So
// the form is chosen per pair of value kind and column type: the text itself where both
// rules agree, otherwise a load variable converted back to the bound kind.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ado::odbc {

// The kind of the values a batch binds to one column (all of one kind, or Nulls only).
enum class ValueKind : char { None, Text, Integer, Double, Bytes };

enum class LoadForm : char {
    Text,     // the field is the column's value
    Integer,  // digits, stored as a 64-bit integer: CAST(@v AS SIGNED)
    Double,   // the shortest text of the double, stored as that double: CAST(@v AS DOUBLE)
    Hex,      // the bytes in hexadecimal, stored as binary: UNHEX(@v)
};

struct LoadColumn {
    std::size_t index;  // in the writer's columns
    LoadForm form;
    bool everyRow;  // every row assigns it; otherwise rows that do not take its default
};

// The columns of one load in field order, or nullopt when some column's values cannot go
// the way the array path stores them (the batch then goes as arrays). `dataTypes` holds
// the table's columns' DATA_TYPE by lower-case name.
std::optional<std::vector<LoadColumn>> PlanLoad(const std::vector<std::string>& columns,
                                                const std::map<std::string, std::string>& dataTypes,
                                                const std::vector<ValueKind>& kinds, const std::vector<char>& used,
                                                const std::vector<char>& everyRow);

// The LOAD DATA statement for the plan, its separators written as hexadecimal literals so
// that it reads the same under every sql_mode.
std::string LoadStatement(const std::string& fileName, const std::string& quotedTable,
                          const std::vector<std::string>& columns, const std::vector<LoadColumn>& plan);

}  // namespace ado::odbc
