#include "conversion/run/LateKeys.h"

#include <algorithm>
#include <map>
#include <sstream>
#include <utility>

#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

namespace {

using ado::SqlTextLiteral;
using ado::odbc::QuoteIdentifier;

std::string Text(const ado::Value& value) {
    return value.IsNull() ? std::string() : value.Text();
}

// The table's definition, one line per column, key and option, without trailing commas.
std::vector<std::string> DefinitionLines(const std::string& definition) {
    std::istringstream text(definition);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (!line.empty() && line.back() == ',') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

LateKeys PlainSecondaryKeys(ado::Connection& target, const std::string& table, const std::string& definition) {
    struct Key {
        std::string parts;
        bool plain = true;
    };
    std::map<std::string, Key> keys;
    auto rows = target.Execute(
        "SELECT INDEX_NAME, COLUMN_NAME, SUB_PART, COLLATION, INDEX_TYPE FROM information_schema.STATISTICS "
        "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = " +
        SqlTextLiteral(table) + " AND NON_UNIQUE = 1 ORDER BY INDEX_NAME, SEQ_IN_INDEX");
    for (; !rows->Eof(); rows->MoveNext()) {
        const auto& f = rows->GetFields();
        Key& key = keys[Text(f.Item(0).GetValue())];
        const ado::Value& column = f.Item(1).GetValue();
        // A key on an expression, or of another kind than BTREE, is left where it is.
        key.plain = key.plain && !column.IsNull() && Text(f.Item(4).GetValue()) == "BTREE";
        const std::string prefix = Text(f.Item(2).GetValue());
        key.parts += (key.parts.empty() ? "" : ",") + QuoteIdentifier(Text(column)) +
                     (prefix.empty() ? "" : "(" + prefix + ")") + (Text(f.Item(3).GetValue()) == "D" ? " DESC" : "");
    }
    rows->Close();
    if (keys.empty()) return {};

    const std::vector<std::string> lines = DefinitionLines(definition);
    std::map<std::size_t, std::string> found;  // each key's name, by the place of its line
    LateKeys late;
    for (const auto& [name, key] : keys) {
        const std::string clause = "KEY " + QuoteIdentifier(name) + " (" + key.parts + ")";
        const auto line = std::ranges::find(lines, "  " + clause);
        if (!key.plain || line == lines.end()) return {};
        found.emplace(static_cast<std::size_t>(line - lines.begin()), name);
    }
    for (const auto& [place, name] : found) {
        late.names.push_back(name);
        late.clauses.push_back(lines[place].substr(2));
    }
    return late;
}

void TakeOffKeys(ado::Connection& target, const std::string& shadow, const LateKeys& keys) {
    if (keys.Empty()) return;
    std::string drops;
    for (const std::string& name : keys.names)
        drops += (drops.empty() ? " DROP KEY " : ", DROP KEY ") + QuoteIdentifier(name);
    target.Execute("ALTER TABLE " + QuoteIdentifier(shadow) + drops);
}

void BuildKeys(ado::Connection& target, const std::string& shadow, const LateKeys& keys) {
    if (keys.Empty()) return;
    std::string adds;
    for (const std::string& clause : keys.clauses) adds += (adds.empty() ? " ADD " : ", ADD ") + clause;
    target.Execute("ALTER TABLE " + QuoteIdentifier(shadow) + adds);
}
