#include "support/TestServer.h"

#ifdef NUTV_GTEST_REPORTS  // built for the tests; the benchmark's copy has no gtest
#include <gtest/gtest.h>
#endif
#include <mysql.h>

#include <memory>
#include <stdexcept>

#include "common/ClientTls.h"

namespace testsupport {

namespace {
struct MysqlCloser {
    void operator()(MYSQL* m) const { mysql_close(m); }
};
using MysqlPtr = std::unique_ptr<MYSQL, MysqlCloser>;

MysqlPtr Connect(const std::string& database, const std::string& host) {
    MysqlPtr m(mysql_init(nullptr));
    if (!m) throw std::runtime_error("mysql_init failed");
    mysql_options(m.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (dbtls::RequireTls(m.get())) throw std::runtime_error("the client library refused a TLS option");
    if (!mysql_real_connect(m.get(), host.c_str(), "root", kRootPassword, database.empty() ? nullptr : database.c_str(),
                            3306, nullptr, CLIENT_MULTI_STATEMENTS))
        throw std::runtime_error(std::string("cannot connect to the test server: ") + mysql_error(m.get()));
    return m;
}

void RunAll(MYSQL* m, const std::string& sql) {
    if (mysql_real_query(m, sql.data(), sql.size()) != 0)
        throw std::runtime_error("SQL failed: " + std::string(mysql_error(m)) + "\n" + sql);
    do {
        if (MYSQL_RES* res = mysql_store_result(m)) mysql_free_result(res);
        int next = mysql_next_result(m);
        if (next > 0) throw std::runtime_error("SQL failed: " + std::string(mysql_error(m)) + "\n" + sql);
        if (next < 0) break;
    } while (true);
}
}  // namespace

struct AdminSession::Record {
    MysqlPtr connection;
};

AdminSession::AdminSession(const std::string& database)
    : record_(std::make_unique<Record>(Record{Connect(database, kCentralHost)})) {}

AdminSession::~AdminSession() = default;

void AdminSession::Sql(const std::string& sql) {
    RunAll(record_->connection.get(), sql);
}

void AdminSql(const std::string& sql, const std::string& database, const std::string& host) {
    auto m = Connect(database, host);
    RunAll(m.get(), sql);
}

std::vector<Row> AdminQuery(const std::string& sql, const std::string& database, const std::string& host) {
    auto m = Connect(database, host);
    if (mysql_real_query(m.get(), sql.data(), sql.size()) != 0)
        throw std::runtime_error("SQL failed: " + std::string(mysql_error(m.get())) + "\n" + sql);
    std::vector<Row> rows;
    MYSQL_RES* res = mysql_store_result(m.get());
    if (!res) return rows;
    unsigned n = mysql_num_fields(res);
    while (MYSQL_ROW r = mysql_fetch_row(res)) {
        unsigned long* lengths = mysql_fetch_lengths(res);
        Row row;
        for (unsigned i = 0; i < n; ++i)
            row.push_back(r[i] ? std::optional<std::string>(std::string(r[i], lengths[i])) : std::nullopt);
        rows.push_back(std::move(row));
    }
    mysql_free_result(res);
    return rows;
}

std::string AdminScalar(const std::string& sql, const std::string& database, const std::string& host) {
    auto rows = AdminQuery(sql, database, host);
    if (rows.empty() || rows[0].empty() || !rows[0][0]) return {};
    return *rows[0][0];
}

std::string SqlQuote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\') out += '\\';
        if (c == '\0') {
            out += "\\0";
            continue;
        }
        out += c;
    }
    return out + "'";
}

std::string SqlIdent(const std::string& name) {
    std::string out = "`";
    for (char c : name) {
        if (c == '`') out += '`';
        out += c;
    }
    return out + "`";
}

std::string UniqueName(const std::string& prefix) {
    std::string name = prefix;
#ifdef NUTV_GTEST_REPORTS
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        name += std::string("_") + info->test_suite_name() + "_" + info->name();
#endif
    std::string clean;
    for (char c : name) clean += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    // Database names and account names have length limits; keep the end unique by a hash.
    if (clean.size() > 40)
        clean = clean.substr(0, 28) + "_" + std::to_string(std::hash<std::string>{}(clean) % 100000000);
    return clean;
}

void CreateCustomerDatabase(const std::string& id, const std::string& database, const std::string& host) {
    const std::string account = SqlQuote(id) + "@'127.0.0.%'";
    AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(database) + "; CREATE DATABASE " + SqlIdent(database) +
                 " CHARACTER SET utf8mb4; CREATE USER IF NOT EXISTS " + account + " IDENTIFIED BY " +
                 SqlQuote(kCustomerPassword) + (dbtls::Required() ? " REQUIRE SSL" : "") +
                 "; GRANT ALL PRIVILEGES ON " + SqlIdent(database) + ".* TO " + account +
                 // FILE lets the account read the server's free disk space (information_schema.DISKS).
                 "; GRANT FILE ON *.* TO " + account,
             {}, host);
}

void RegisterCustomer(const std::string& id, const std::string& database, const std::string& host) {
    AdminSql("REPLACE INTO app_admin.app_priv (app_dbname, user_id, app_active, app_dbip) VALUES (" +
             SqlQuote(database) + ", " + SqlQuote(id) + ", 1, " + SqlQuote(host) + ")");
}

}  // namespace testsupport
