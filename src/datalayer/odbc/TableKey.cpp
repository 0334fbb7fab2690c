#include "datalayer/odbc/TableKey.h"

#include <sqlext.h>
#include <sqlucode.h>

#include "common/VbError.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

OrderingKey FindOrderingKey(const Dbc& dbc, const std::string& table) {
    // SHOW KEYS lists the primary key first, and each key's columns in key order. A table
    // it cannot show has no key here; the SELECT that follows reports what is wrong.
    QueryResult keys;
    try {
        keys = RunQuery(dbc, "SHOW KEYS FROM " + QuoteIdentifier(table));
    } catch (const VbError&) {
        return {};
    }
    const int keyName = keys.Column("Key_name"), nonUnique = keys.Column("Non_unique"),
              columnName = keys.Column("Column_name"), subPart = keys.Column("Sub_part"), null = keys.Column("Null"),
              indexType = keys.Column("Index_type");
    if (keyName < 0 || nonUnique < 0 || columnName < 0 || subPart < 0 || null < 0 || indexType < 0) return {};

    OrderingKey key;
    bool usable = false;
    for (const Row& row : keys.rows) {
        if (row[keyName].IsNull() || row[columnName].IsNull() || row[nonUnique].IsNull()) continue;
        if (row[nonUnique].Text() != "0") continue;
        const std::string index = row[keyName].Text();
        if (index != key.index) {
            if (usable && !key.empty()) return key;
            key = {index, {}};
            usable = true;
        }
        // A prefix of a column, a column that may hold NULL, or a hash index cannot carry
        // the order.
        const bool whole = row[subPart].IsNull();
        const bool notNull = row[null].IsNull() || row[null].Text().empty();
        const bool btree = !row[indexType].IsNull() && row[indexType].Text() == "BTREE";
        if (whole && notNull && btree)
            key.columns.push_back(row[columnName].Text());
        else
            usable = false;
    }
    if (usable && !key.empty()) return key;
    return {};
}

bool KeyColumnCarriesOrder(const Column& column) {
    switch (column.sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_VARCHAR:
        case SQL_WVARCHAR:
        case SQL_VARBINARY:
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TYPE_TIMESTAMP:
            return true;
        case SQL_BIGINT:
            return !column.isUnsigned;
        default:
            return false;
    }
}

}  // namespace ado::odbc
