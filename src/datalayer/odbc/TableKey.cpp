#include "datalayer/odbc/TableKey.h"

#include <algorithm>
#include <map>

#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"

namespace ado::odbc {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Whether a column declared as `type` (SHOW COLUMNS' text, e.g. "int(11) unsigned") orders
// and compares its values the way they read back. ENUM orders by position but compares as
// text, DECIMAL and the floating types may not read back exactly, and BIGINT UNSIGNED reads
// as text that the server would compare as a double: none of these can carry a chunk.
bool OrdersAsItReads(const std::string& declared) {
    const std::string type = Lower(declared);
    const std::string base = type.substr(0, type.find_first_of("( "));
    static const char* const kExact[] = {"tinyint",  "smallint",  "mediumint", "int",       "bigint",
                                         "char",     "varchar",   "binary",    "varbinary", "date",
                                         "datetime", "timestamp", "time"};
    if (std::find_if(std::begin(kExact), std::end(kExact), [&](const char* t) { return base == t; }) ==
        std::end(kExact))
        return false;
    return !(base == "bigint" && type.find("unsigned") != std::string::npos);
}

}  // namespace

OrderingKey FindOrderingKey(SQLHDBC dbc, const std::string& table, const std::vector<Column>& columns) {
    const std::string quoted = QuoteIdentifier(table);
    const QueryResult keys = RunQuery(dbc, "SHOW KEYS FROM " + quoted);
    const int keyName = keys.Column("Key_name"), nonUnique = keys.Column("Non_unique"),
              columnName = keys.Column("Column_name"), subPart = keys.Column("Sub_part"), null = keys.Column("Null"),
              indexType = keys.Column("Index_type");
    if (keyName < 0 || nonUnique < 0 || columnName < 0 || subPart < 0 || null < 0 || indexType < 0) return {};

    const QueryResult declared = RunQuery(dbc, "SHOW COLUMNS FROM " + quoted);
    const int field = declared.Column("Field"), type = declared.Column("Type");
    if (field < 0 || type < 0) return {};
    auto declaredType = [&](const std::string& name) -> std::string {
        for (const Row& row : declared.rows)
            if (row[field].IsText() && SameColumnName(row[field].AsText(), name) && row[type].IsText())
                return row[type].AsText();
        return {};
    };

    // The unique keys in the order SHOW KEYS lists them (the primary key first), each with
    // its columns in key order; a key with a column that cannot carry a chunk drops out.
    std::vector<OrderingKey> candidates;
    std::map<std::string, bool> usable;
    for (const Row& row : keys.rows) {
        if (!row[keyName].IsText() || !row[columnName].IsText()) continue;
        const std::string& name = row[keyName].AsText();
        if (row[nonUnique].IsNull() || row[nonUnique].Text() != "0") continue;
        auto [it, first] = usable.try_emplace(name, true);
        if (first) candidates.push_back({name, {}});
        OrderingKey& key =
            *std::find_if(candidates.begin(), candidates.end(), [&](const OrderingKey& k) { return k.index == name; });
        // A prefix of a column, a column that may hold NULL or a hash index cannot order rows.
        const bool whole = row[subPart].IsNull();
        const bool notNull = !row[null].IsText() || row[null].AsText().empty();
        const bool btree = row[indexType].IsText() && row[indexType].AsText() == "BTREE";
        std::size_t position = columns.size();
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (SameColumnName(columns[i].name, row[columnName].AsText())) position = i;
        if (!whole || !notNull || !btree || position == columns.size() ||
            !OrdersAsItReads(declaredType(row[columnName].AsText())))
            it->second = false;
        else
            key.columns.push_back(position);
    }
    for (const OrderingKey& key : candidates)
        if (usable[key.index] && !key.columns.empty()) return key;
    return {};
}

}  // namespace ado::odbc
