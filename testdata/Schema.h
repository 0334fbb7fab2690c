#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The customer database of the two editions for the 80 catalogue tables: what each table
// and column looks like, the DDL that makes them, and how the newer edition differs.
namespace testdata {

enum class Edition {
    Tarn,  // the older edition: the source of a conversion
    Velm,  // the newer edition: the target
};
std::string_view EditionName(Edition edition);  // "tarn" / "velm"

struct Column {
    std::string name;
    std::string declaration;  // as written after the name in CREATE TABLE
    std::string type;         // the SQL type as declared: "VARCHAR(40)", "DECIMAL(12,2)", "ENUM('Y','N')"
    std::string charset;      // text columns: their character set; empty for other types
    bool nullable = true;
    bool autoIncrement = false;
    // Whether a row added without this column is given a value of the declaration's (an
    // explicit DEFAULT, or NULL for a nullable column), and that value as the server
    // returns it (nullopt: NULL).
    bool hasDefault = false;
    std::optional<std::string> defaultValue;

    std::string BaseType() const;  // "VARCHAR", "DECIMAL", "DATETIME", ...
    int Length() const;            // characters of CHAR/VARCHAR (0 otherwise)
    int Scale() const;             // digits after the point of DECIMAL (0 otherwise)
    bool IsText() const;           // CHAR, VARCHAR, the TEXT types, ENUM
    bool IsDateOrTime() const;     // DATE, DATETIME, TIMESTAMP, TIME
    bool IsBinary() const;         // the BLOB types

    bool operator==(const Column&) const = default;
};

struct Table {
    std::string name;
    std::string engine;           // "InnoDB" / "MyISAM"
    std::string charset;          // the table's default character set
    std::vector<Column> columns;  // in the edition's column order
    std::vector<std::string> primaryKey;

    const Column* Find(std::string_view column) const;  // nullptr when the edition lacks it
};

// The 80 table names in catalogue order.
std::vector<std::string_view> TableNames();
// One edition's table; throws std::out_of_range for a name outside the catalogue.
const Table& TableOf(Edition edition, std::string_view table);
const std::vector<Column>& ColumnsOf(Edition edition, std::string_view table);
// The CREATE TABLE statement of one edition's table.
std::string CreateTableSql(Edition edition, std::string_view table);

// How a column of the older edition became the newer edition's.
enum class ColumnChange {
    Unchanged,  // same type, nullability, default (the character set may still differ)
    Added,      // only in the newer edition
    Dropped,    // only in the older edition
    Retyped,    // in both, with another type, nullability, default or auto-increment
};

struct ColumnDifference {
    std::string column;
    ColumnChange change = ColumnChange::Unchanged;
    std::optional<Column> tarn;
    std::optional<Column> velm;
    bool charsetChanged = false;  // a text column in both, in another character set
};

struct TableDifference {
    std::string table;
    std::string tarnEngine, velmEngine;
    std::string tarnCharset, velmCharset;
    bool keyChanged = false;    // another primary key
    bool orderChanged = false;  // the columns both editions have come in another order
    // Every column of either edition: the older edition's in its order, then the added ones.
    std::vector<ColumnDifference> columns;

    const ColumnDifference* Find(std::string_view column) const;
};

TableDifference DifferencesOf(std::string_view table);

}  // namespace testdata
