// Telling a lost session of ours from a stranger's after a reconnect: the server run
// (its start time) and the thread's account.
#include <cstdlib>
#include <string>

#include "mysqlclient/cMySQLImpl.h"

namespace {
// One row of one column, read without touching the object's current result; nullopt
// when the statement fails, gives no row or gives NULL.
std::optional<std::string> ReadScalar(MYSQL* record, const std::string& sql) {
    if (mysql_real_query(record, sql.data(), static_cast<unsigned long>(sql.size())) != 0) return std::nullopt;
    ResultPtr result(mysql_store_result(record));
    if (!result) return std::nullopt;
    const MYSQL_ROW row = mysql_fetch_row(result.get());
    if (!row || !row[0]) return std::nullopt;
    return std::string(row[0]);
}
}  // namespace

std::optional<std::int64_t> mysqlclient::ServerStart(MYSQL* record) {
    const auto start = ReadScalar(record,
                                  "SELECT UNIX_TIMESTAMP() - VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                                  "WHERE VARIABLE_NAME = 'UPTIME'");
    if (!start) return std::nullopt;
    char* end = nullptr;
    const long long seconds = std::strtoll(start->c_str(), &end, 10);
    if (end == start->c_str()) return std::nullopt;
    return seconds;
}

bool mysqlclient::StillOurs(MYSQL* record, const cMySQL::Impl::SessionOrigin& lost,
                            const cMySQL::Impl::SessionOrigin& now) {
    if (lost.thread == 0 || lost.thread == now.thread || !lost.serverStart || !now.serverStart) return false;
    if (std::llabs(*lost.serverStart - *now.serverStart) > 1) return false;
    // Without the PROCESS privilege the list shows only the account's own threads, which
    // is all this asks about.
    const auto owner =
        ReadScalar(record, "SELECT USER FROM information_schema.PROCESSLIST WHERE ID = " + std::to_string(lost.thread));
    return owner && *owner == lost.user;
}
