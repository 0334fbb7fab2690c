#include "datalayer/odbc/Columns.h"

#include <sqlext.h>
#include <sqlucode.h>

#include <limits>

#include "datalayer/AdoConstants.h"
#include "datalayer/AdoErrors.h"
#include "datalayer/odbc/Diagnostics.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

namespace {

ReadAs ReadAsFor(SQLSMALLINT sqlType, bool isUnsigned) {
    switch (sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
            return ReadAs::Integer;
        case SQL_BIGINT:
            // An unsigned BIGINT may not fit 64 signed bits: the server's text is exact.
            return isUnsigned ? ReadAs::Text : ReadAs::Integer;
        case SQL_REAL:
            return ReadAs::Float;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ReadAs::Double;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ReadAs::Binary;
        case SQL_BIT:
            return ReadAs::Bit;
        default:
            // Text, DECIMAL/NUMERIC, DATE, TIME and DATETIME arrive as the server's text.
            // Zero dates only survive this way: read as date structures they become NULL.
            return ReadAs::Text;
    }
}

bool IsLong(SQLSMALLINT sqlType) {
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
}

bool IsFixed(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_VARCHAR:
        case SQL_WVARCHAR:
        case SQL_VARBINARY:
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
        case SQL_LONGVARBINARY:
            return false;
        default:
            return true;
    }
}

}  // namespace

int AdoTypeOf(SQLSMALLINT sqlType, bool isUnsigned) {
    switch (sqlType) {
        case SQL_CHAR:
            return adChar;
        case SQL_VARCHAR:
            return adVarChar;
        case SQL_LONGVARCHAR:
            return adLongVarChar;
        case SQL_WCHAR:
            return adWChar;
        case SQL_WVARCHAR:
            return adVarWChar;
        case SQL_WLONGVARCHAR:
            return adLongVarWChar;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return adNumeric;
        case SQL_BIT:
            return adBoolean;
        case SQL_TINYINT:
            return isUnsigned ? adUnsignedTinyInt : adTinyInt;
        case SQL_SMALLINT:
            return isUnsigned ? adUnsignedSmallInt : adSmallInt;
        case SQL_INTEGER:
            return isUnsigned ? adUnsignedInt : adInteger;
        case SQL_BIGINT:
            return isUnsigned ? adUnsignedBigInt : adBigInt;
        case SQL_REAL:
            return adSingle;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return adDouble;
        case SQL_BINARY:
            return adBinary;
        case SQL_VARBINARY:
            return adVarBinary;
        case SQL_LONGVARBINARY:
            return adLongVarBinary;
        case SQL_TYPE_DATE:
            return adDBDate;
        case SQL_TYPE_TIME:
            return adDBTime;
        case SQL_TYPE_TIMESTAMP:
            return adDBTimeStamp;
        case SQL_GUID:
            return adGUID;
        default:
            return adVarWChar;  // anything else is read as text
    }
}

std::vector<Column> DescribeResult(Statement& statement, bool updatable) {
    const SQLHSTMT h = statement.get();
    const SQLSMALLINT count = statement.ResultColumns();
    std::vector<Column> columns(static_cast<std::size_t>(count));
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
        Column& c = columns[i - 1];
        // The name through the narrow call: UTF-8 bytes, as the session is utf8mb4.
        SQLCHAR name[512];
        SQLSMALLINT nameLength = 0, narrowType = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
        SQLULEN narrowSize = 0;
        CheckStmt(SQLDescribeCol(h, i, name, sizeof name, &nameLength, &narrowType, &narrowSize, &digits, &nullable), h,
                  source::kFields);
        if (nameLength >= static_cast<SQLSMALLINT>(sizeof name)) {
            std::string big(static_cast<std::size_t>(nameLength) + 1, '\0');
            SQLSMALLINT length = 0;
            CheckStmt(SQLColAttribute(h, i, SQL_DESC_NAME, big.data(), static_cast<SQLSMALLINT>(big.size()), &length,
                                      nullptr),
                      h, source::kFields);
            big.resize(static_cast<std::size_t>(length));
            c.name = std::move(big);
        } else {
            c.name.assign(reinterpret_cast<const char*>(name), static_cast<std::size_t>(nameLength));
        }
        // The type through the wide call, the one source of every column's type. This
        // driver answers the wide call with the Unicode types (VARCHAR -> SQL_WVARCHAR,
        // TEXT -> SQL_WLONGVARCHAR, CHAR -> SQL_WCHAR) and the narrow one with the
        // narrow types; a Unicode client such as ADO sees the former, and the values of
        // a utf8mb4 session are Unicode text. Other types are the same in both.
        SQLSMALLINT type = 0, wideDigits = 0, wideNullable = 0, wideNameLength = 0;
        SQLULEN size = 0;
        CheckStmt(SQLDescribeColW(h, i, nullptr, 0, &wideNameLength, &type, &size, &wideDigits, &wideNullable), h,
                  source::kFields);
        SQLLEN isUnsigned = SQL_FALSE;
        CheckStmt(SQLColAttribute(h, i, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned), h, source::kFields);

        c.sqlType = type;
        c.size = size;
        c.nullable = nullable != SQL_NO_NULLS;
        c.isUnsigned = isUnsigned == SQL_TRUE;
        c.adoType = AdoTypeOf(type, c.isUnsigned);
        c.readAs = ReadAsFor(type, c.isUnsigned);
        // LONGBLOB and LONGTEXT report sizes beyond 32 bits; the defined size saturates.
        c.definedSize = size > static_cast<SQLULEN>(std::numeric_limits<std::int32_t>::max())
                            ? std::numeric_limits<std::int32_t>::max()
                            : static_cast<std::int32_t>(size);
        c.attributes = 0;
        if (c.nullable) c.attributes |= adFldIsNullable | adFldMayBeNull;
        if (IsLong(type)) c.attributes |= adFldLong;
        if (IsFixed(type)) c.attributes |= adFldFixed;
        if (updatable) c.attributes |= adFldUpdatable;
    }
    return columns;
}

}  // namespace ado::odbc
