#include "testdata/Database.h"

#include <chrono>

#include "testdata/Generator.h"
#include "testdata/Session.h"

namespace testdata {

namespace {

// Strict, so that a value a column would bend shows up as an error, but with zero dates
// allowed: the older edition's tables hold them.
constexpr std::string_view kSqlMode = "SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_ENGINE_SUBSTITUTION'";

// Statements grow to about this size before they are sent, whatever the row count.
constexpr std::size_t kStatementBytes = 4 << 20;

void AppendCell(Session& session, std::string& sql, const Cell& cell) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    switch (cell.kind) {
        case Cell::Kind::Null:
            sql += "NULL";
            break;
        case Cell::Kind::Default:
            sql += "DEFAULT";
            break;
        case Cell::Kind::Number:
            sql += cell.data;
            break;
        case Cell::Kind::Text:
            session.AppendQuoted(sql, cell.data);
            break;
        case Cell::Kind::Binary:
            sql += "X'";
            for (unsigned char c : cell.data) {
                sql += kHex[c >> 4];
                sql += kHex[c & 0xF];
            }
            sql += "'";
            break;
    }
}

std::int64_t FillTable(Session& session, Edition edition, const std::string& table, const PopulateOptions& options) {
    const Table& layout = TableOf(edition, table);
    std::string head = "INSERT INTO " + Ident(table) + " (";
    for (std::size_t i = 0; i < layout.columns.size(); ++i) {
        if (i) head += ',';
        head += Ident(layout.columns[i].name);
    }
    head += ") VALUES ";

    const bool myisam = layout.engine == "MyISAM";
    session.Execute(myisam ? "ALTER TABLE " + Ident(table) + " DISABLE KEYS" : "START TRANSACTION");
    std::string sql;
    std::size_t pending = 0;
    std::int64_t rows = 0;
    auto flush = [&] {
        if (pending == 0) return;
        session.Execute(sql);
        sql.clear();
        pending = 0;
    };
    ForEachRow(edition, table, options.sizeFactor, options.seed, [&](const Row& row) {
        sql += pending == 0 ? head : ",";
        sql += "(";
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) sql += ",";
            AppendCell(session, sql, row[i]);
        }
        sql += ")";
        ++rows;
        if (++pending >= options.rowsPerStatement || sql.size() >= kStatementBytes) flush();
    });
    flush();
    session.Execute(myisam ? "ALTER TABLE " + Ident(table) + " ENABLE KEYS" : "COMMIT");
    return rows;
}

}  // namespace

void CreateSchema(const Server& server, const std::string& database, Edition edition,
                  const std::vector<std::string>& tables) {
    {
        Session admin(server, {});
        admin.Execute("CREATE DATABASE IF NOT EXISTS " + Ident(database) + " CHARACTER SET utf8mb4");
    }
    Session session(server, database);
    session.Execute(kSqlMode);
    std::vector<std::string> names = tables;
    if (names.empty())
        for (std::string_view t : TableNames()) names.emplace_back(t);
    for (const std::string& table : names) {
        session.Execute("DROP TABLE IF EXISTS " + Ident(table));
        session.Execute(CreateTableSql(edition, table));
    }
}

PopulateResult Populate(const Server& server, const std::string& database, Edition edition,
                        const PopulateOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    Session session(server, database);
    session.Execute(kSqlMode);
    session.Execute("SET SESSION unique_checks = 0, foreign_key_checks = 0");
    std::vector<std::string> tables = options.tables;
    if (tables.empty())
        for (std::string_view t : TableNames()) tables.emplace_back(t);
    PopulateResult result;
    for (const std::string& table : tables) {
        const std::int64_t rows = FillTable(session, edition, table, options);
        result.rows += rows;
        result.rowsPerTable.emplace_back(table, rows);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

}  // namespace testdata
