#include "testdata/Schema.h"

#include <map>
#include <stdexcept>

#include "testdata/ColumnDeclaration.h"
#include "testdata/Session.h"
#include "testdata/TableLayouts.h"

namespace testdata {

namespace {

constexpr std::string_view kVelmEngine = "InnoDB";
constexpr std::string_view kVelmCharset = "utf8mb4";

std::vector<std::string> SplitList(std::string_view list, char separator) {
    std::vector<std::string> items;
    while (!list.empty()) {
        const auto end = list.find(separator);
        items.emplace_back(list.substr(0, end));
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return items;
}

std::string_view Declaration(const layout::ColumnLayout& c, Edition edition) {
    if (edition == Edition::Tarn) return c.tarn;
    return c.velm == "=" ? c.tarn : c.velm;
}

Table Build(const layout::TableLayout& t, Edition edition) {
    Table table;
    table.name = std::string(t.name);
    const bool tarn = edition == Edition::Tarn;
    table.engine = std::string(tarn ? t.tarnEngine : kVelmEngine);
    table.charset = std::string(tarn ? t.tarnCharset : kVelmCharset);
    for (const layout::ColumnLayout& c : t.columns)
        if (!Declaration(c, edition).empty())
            table.columns.push_back(ParseColumnDeclaration(c.name, Declaration(c, edition), table.charset));
    if (!tarn && !t.velmOrder.empty()) {
        std::vector<Column> ordered;
        for (const std::string& name : SplitList(t.velmOrder, ',')) {
            const Column* column = table.Find(name);
            if (!column) throw std::logic_error(table.name + ": the column order names an unknown column " + name);
            ordered.push_back(*column);
        }
        if (ordered.size() != table.columns.size())
            throw std::logic_error(table.name + ": the column order leaves out columns");
        table.columns = std::move(ordered);
    }
    table.primaryKey = SplitList(!tarn && !t.velmKey.empty() ? t.velmKey : t.tarnKey, ',');
    return table;
}

struct Catalogue {
    std::map<std::string, Table, std::less<>> tarn;
    std::map<std::string, Table, std::less<>> velm;
};

const Catalogue& Tables() {
    static const Catalogue catalogue = [] {
        Catalogue c;
        for (const layout::TableLayout& t : layout::Tables()) {
            c.tarn.emplace(std::string(t.name), Build(t, Edition::Tarn));
            c.velm.emplace(std::string(t.name), Build(t, Edition::Velm));
        }
        return c;
    }();
    return catalogue;
}

std::string IdentList(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        if (!out.empty()) out += ',';
        out += Ident(n);
    }
    return out;
}

}  // namespace

std::string_view EditionName(Edition edition) {
    return edition == Edition::Tarn ? "tarn" : "velm";
}

const Column* Table::Find(std::string_view column) const {
    for (const Column& c : columns)
        if (c.name == column) return &c;
    return nullptr;
}

const ColumnDifference* TableDifference::Find(std::string_view column) const {
    for (const ColumnDifference& c : columns)
        if (c.column == column) return &c;
    return nullptr;
}

std::vector<std::string_view> TableNames() {
    std::vector<std::string_view> names;
    for (const layout::TableLayout& t : layout::Tables()) names.push_back(t.name);
    return names;
}

const Table& TableOf(Edition edition, std::string_view table) {
    const auto& tables = edition == Edition::Tarn ? Tables().tarn : Tables().velm;
    const auto found = tables.find(table);
    if (found == tables.end()) throw std::out_of_range("not a catalogue table: " + std::string(table));
    return found->second;
}

const std::vector<Column>& ColumnsOf(Edition edition, std::string_view table) {
    return TableOf(edition, table).columns;
}

std::string CreateTableSql(Edition edition, std::string_view name) {
    const Table& table = TableOf(edition, name);
    const layout::TableLayout& t = layout::FindTable(name);
    std::string sql = "CREATE TABLE " + Ident(table.name) + " (\n";
    for (const Column& c : table.columns) sql += "  " + Ident(c.name) + " " + c.declaration + ",\n";
    sql += "  PRIMARY KEY (" + IdentList(table.primaryKey) + ")";
    if (edition == Edition::Velm && !t.velmUnique.empty())
        sql += ",\n  UNIQUE KEY " + Ident("uk_" + table.name) + " (" + IdentList(SplitList(t.velmUnique, ',')) + ")";
    int n = 0;
    for (const std::string& index : SplitList(t.indexes, ';')) {
        const auto columns = SplitList(index, ',');
        bool present = true;
        for (const std::string& c : columns) present = present && table.Find(c);
        if (present)
            sql +=
                ",\n  KEY " + Ident("idx_" + table.name + "_" + std::to_string(++n)) + " (" + IdentList(columns) + ")";
    }
    sql += "\n) ENGINE=" + table.engine + " DEFAULT CHARSET=" + table.charset;
    return sql;
}

TableDifference DifferencesOf(std::string_view name) {
    const Table& tarn = TableOf(Edition::Tarn, name);
    const Table& velm = TableOf(Edition::Velm, name);
    TableDifference d;
    d.table = tarn.name;
    d.tarnEngine = tarn.engine;
    d.velmEngine = velm.engine;
    d.tarnCharset = tarn.charset;
    d.velmCharset = velm.charset;
    d.keyChanged = tarn.primaryKey != velm.primaryKey;
    std::vector<std::string> tarnShared, velmShared;
    for (const Column& c : tarn.columns)
        if (velm.Find(c.name)) tarnShared.push_back(c.name);
    for (const Column& c : velm.columns)
        if (tarn.Find(c.name)) velmShared.push_back(c.name);
    d.orderChanged = tarnShared != velmShared;

    for (const Column& t : tarn.columns) {
        ColumnDifference c;
        c.column = t.name;
        c.tarn = t;
        if (const Column* v = velm.Find(t.name)) {
            c.velm = *v;
            const bool retyped = t.type != v->type || t.nullable != v->nullable || t.hasDefault != v->hasDefault ||
                                 t.defaultValue != v->defaultValue || t.autoIncrement != v->autoIncrement;
            c.change = retyped ? ColumnChange::Retyped : ColumnChange::Unchanged;
            c.charsetChanged = t.IsText() && v->IsText() && t.charset != v->charset;
        } else {
            c.change = ColumnChange::Dropped;
        }
        d.columns.push_back(std::move(c));
    }
    for (const Column& v : velm.columns) {
        if (tarn.Find(v.name)) continue;
        ColumnDifference c;
        c.column = v.name;
        c.velm = v;
        c.change = ColumnChange::Added;
        d.columns.push_back(std::move(c));
    }
    return d;
}

}  // namespace testdata
