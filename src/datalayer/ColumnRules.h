#pragma once
// The column rules: for a source column and the target column it is copied into, how the
// value is written (recordset copy), how a load carries it (LOAD DATA), and how the
// verification forms it on each side so that a faithful copy gives equal text. The copy,
// the load plan, the pre-check and the verification all take their rules from here.
#include <optional>
#include <string>
#include <vector>

namespace ado {

class Connection;

// One column as information_schema lists it.
struct ColumnType {
    std::string name, dataType, columnType;  // the types in lower case
    std::string charset, precision, scale, timePrecision;
    std::optional<std::string> defaultValue;  // as the server lists it; nullopt: none
    bool key = false, autoIncrement = false, nullable = true;
    bool computed = false;  // GENERATED ALWAYS AS ...: the server gives the value
};

// The columns of `table` in the connection's current database, in table order (empty
// when there is no such table).
std::vector<ColumnType> ReadColumnTypes(Connection& connection, const std::string& table);

// The names of the columns of `table` the server computes.
std::vector<std::string> ComputedColumns(Connection& connection, const std::string& table);

// Why a computed target column is neither written nor compared.
inline constexpr const char* kComputedReason = "대상 서버가 계산하는 열";

// ---- The recordset copy: what is written into a target field, by its ADO type.
enum class CopyWrite {
    Skip,             // nothing is written (column missing in the target, computed, or dropped)
    AsText,           // variable-length Unicode text target (202): the value's text form
    DateUnlessEmpty,  // date target (133): the value, except an empty text
    AsIs,             // every other target type
};
CopyWrite CopyWriteInto(int targetAdoType);

// ---- The load: how one batch column's values go into a LOAD DATA so that the table stores
// the bytes an array-bound INSERT of the same values stores. The load reads every field as
// text and the server turns text into a column value by string rules, which differ from
// those of a bound number (into YEAR the text '0' is 2000, the integer 0 is 0000; into BIT
// the text's character codes; '2.5' into INT rounds up, the double 2.5 to even).

// The kind of the values a batch binds to one column (all of one kind, or Nulls only).
enum class ValueKind : char { None, Text, Integer, Double, Bytes };

enum class LoadForm : char {
    Text,     // the field is the column's value
    Integer,  // digits, stored as a 64-bit integer: CAST(@v AS SIGNED)
    Double,   // the shortest text of the double, stored as that double: CAST(@v AS DOUBLE)
    Hex,      // the bytes in hexadecimal, stored as binary: UNHEX(@v)
};

// The form for values of `kind` into a column of DATA_TYPE `dataType` (lower case).
LoadForm LoadFormFor(ValueKind kind, const std::string& dataType);

// Whether IF(flag, converted, DEFAULT(column)) stores the converted value unchanged: the
// IF takes one type for both of its branches, which must be the conversion's own.
bool LoadDefaultBeside(LoadForm form, const std::string& dataType);

// ---- The verification: SQL expressions over the table aliased `t` on each side.
struct ValueForms {
    std::string source, target;
};

// A column both editions have: the source's value as the target column takes it (a Null,
// or an empty text into a date, gives the target's default). nullopt when the target's
// default is an expression of its own (CURRENT_TIMESTAMP, ...) whose value the source
// cannot know. A computed target column is never compared (see kComputedReason).
std::optional<ValueForms> CopiedValueForms(const ColumnType& source, const ColumnType& target);

// A column only the target has: its default on both sides (nullopt as above).
std::optional<ValueForms> DefaultValueForms(const ColumnType& target);

// A key column, carried over unchanged.
ValueForms KeyForms(const ColumnType& source, const ColumnType& target);

// A name in backticks, backticks inside doubled.
std::string SqlIdentifier(const std::string& name);

// An SQL text literal of any bytes (as hexadecimal, whatever the session's escaping rules).
std::string SqlTextLiteral(const std::string& text);

}  // namespace ado
