#pragma once
// Internal: what a result column is (from the driver's description) and how its values
// are read. The ADO type of every column comes from this one description.
#include <sql.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ado::odbc {

class Statement;

// How a column's values travel from the driver.
enum class ReadAs {
    Text,     // UTF-8 SQL_C_CHAR: text, DECIMAL, dates and times, unsigned BIGINT
    Integer,  // SQL_C_SBIGINT
    Double,   // SQL_C_DOUBLE
    Float,    // SQL_C_FLOAT, kept as the double its shortest decimal text names
    Binary,   // SQL_C_BINARY
    Bit,      // SQL_C_BIT, as the integer 0 or 1
};

struct Column {
    std::string name;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    bool nullable = true;
    bool isUnsigned = false;
    int adoType = 0;
    std::int32_t definedSize = 0;
    int attributes = 0;
    ReadAs readAs = ReadAs::Text;
};

// The ADO type number for an ODBC SQL type.
int AdoTypeOf(SQLSMALLINT sqlType, bool isUnsigned);

// Describes the columns of the statement's current result.
std::vector<Column> DescribeResult(Statement& statement, bool updatable);

}  // namespace ado::odbc
