#include "testdata/Session.h"

#include <mysql.h>

#include <stdexcept>

#include "common/ClientTls.h"

namespace testdata {

void Session::Closer::operator()(MYSQL* m) const {
    mysql_close(m);
}

Session::Session(const Server& server, const std::string& database) : mysql_(mysql_init(nullptr)) {
    if (!mysql_) throw std::runtime_error("mysql_init failed");
    mysql_options(mysql_.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
    if (dbtls::RequireTls(mysql_.get())) throw std::runtime_error("the client library refused a TLS option");
    if (!mysql_real_connect(mysql_.get(), server.host.c_str(), server.user.c_str(), server.password.c_str(),
                            database.empty() ? nullptr : database.c_str(), server.port, nullptr, 0))
        throw std::runtime_error("cannot connect to " + server.host + ": " + mysql_error(mysql_.get()));
}

void Session::Execute(std::string_view sql) {
    if (mysql_real_query(mysql_.get(), sql.data(), sql.size()) != 0) {
        std::string shown(sql.substr(0, 300));
        throw std::runtime_error(std::string(mysql_error(mysql_.get())) + " (in: " + shown + ")");
    }
    if (MYSQL_RES* result = mysql_store_result(mysql_.get())) mysql_free_result(result);
}

void Session::AppendQuoted(std::string& sql, std::string_view text) {
    const std::size_t at = sql.size();
    sql.resize(at + text.size() * 2 + 3);
    sql[at] = '\'';
    const unsigned long n = mysql_real_escape_string(mysql_.get(), sql.data() + at + 1, text.data(), text.size());
    sql[at + 1 + n] = '\'';
    sql.resize(at + n + 2);
}

std::string Ident(std::string_view name) {
    std::string out = "`";
    for (char c : name) {
        if (c == '`') out += '`';
        out += c;
    }
    return out + "`";
}

}  // namespace testdata
