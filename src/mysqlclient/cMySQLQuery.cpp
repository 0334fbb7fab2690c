// cMySQL: statements, listings and the counts of the latest result.
#include <errmsg.h>

#include <chrono>
#include <string>

#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/VbError.h"
#include "datalayer/Recordset.h"
#include "mysqlclient/cMySQL.h"
#include "mysqlclient/cMySQLImpl.h"

namespace {
// Sends a statement (its full length, so a NUL inside cannot cut it short) and takes
// its stored result. A statement without rows gives nullptr; a statement with rows whose
// result cannot be read (lost connection, no memory) raises like a failed statement.
ResultPtr Execute(cMySQL::Impl& impl, const char* data, std::size_t length, const char* source) {
    MYSQL* record = impl.Record();
    if (mysql_real_query(record, data, static_cast<unsigned long>(length)) != 0) impl.RaiseLibraryError(source);
    ResultPtr result(mysql_store_result(record));
    if (!result && mysql_field_count(record) != 0) impl.RaiseLibraryError(source);
    return result;
}

// What the user reads below a failed statement's error when the server stopped
// answering: the wait ended at the limit, not because the server said so.
std::string NoAnswerText() {
    return "\r\n\r\n데이터베이스 서버가 " + std::to_string(cMySQL::kReadWriteTimeoutSeconds) +
           "초 동안 응답하지 않아 작업을 멈추었습니다.";
}
}  // namespace

std::shared_ptr<ado::Recordset> cMySQL::TakeResult(st_mysql_res* result) {
    if (!result) return nullptr;
    impl_->current.reset(result);
    return make_recordset();
}

std::shared_ptr<ado::Recordset> cMySQL::query(const std::string& SQL) {
    static constexpr const char* kSource = "cMysql::query";
    bool retried = false;
    for (;;) {
        const auto started = std::chrono::steady_clock::now();
        try {
            return TakeResult(Execute(*impl_, SQL.data(), SQL.size(), kSource).release());
        } catch (const VbError& error) {
            // Over TLS the library reports a read or write that failed as a TLS error.
            const bool connectionLost = error.number() == CR_SERVER_LOST || error.number() == CR_SERVER_GONE_ERROR ||
                                        error.number() == CR_SSL_CONNECTION_ERROR;
            // The library reports the end of a wait at the limit as a lost connection.
            const bool noAnswer = connectionLost && std::chrono::steady_clock::now() - started >=
                                                        std::chrono::seconds(kReadWriteTimeoutSeconds);
            if (!connectionLost || retried || noAnswer) {
                MsgBox(ErrorNumberText(error) + (noAnswer ? NoAnswerText() : std::string()), mb::kOkOnly);
                return nullptr;
            }
            const Impl::SessionOrigin lost = impl_->origin;
            impl_->Close();
            if (!real_connect(host_, user_, password_, db_, 3306, {}, 0, NoErrMsg_)) return nullptr;
            // The lost session may still hold locks on the server; it is ended only when it
            // is still ours: after a restart its id may name another session.
            if (mysqlclient::StillOurs(impl_->Record(), lost, impl_->origin)) mysql_kill(impl_->Record(), lost.thread);
            retried = true;
            // Resume by sending the statement once more on the new session: a session the
            // server dropped while idle never ran it, and the callers' statements are reads.
            // A second loss ends in the message box above.
        }
    }
}

std::shared_ptr<ado::Recordset> cMySQL::real_query(const std::string& query, std::int32_t length) {
    static constexpr const char* kSource = "cMysql::real_query";
    if (length < 0 || static_cast<std::size_t>(length) > query.size())
        throw VbError(mysqlclient::kInvalidArgument, kSource, mysqlclient::kInvalidArgumentText);
    return TakeResult(Execute(*impl_, query.data(), static_cast<std::size_t>(length), kSource).release());
}

// libmariadb's mysql_list_dbs and mysql_list_tables paste the pattern into their SHOW
// statement unescaped; the statements are built here with the pattern quoted instead.
std::shared_ptr<ado::Recordset> cMySQL::list_dbs(const std::string& wild) {
    const std::string sql = "SHOW DATABASES LIKE " + Quote(wild);
    ResultPtr result;
    try {
        result = Execute(*impl_, sql.data(), sql.size(), "cMysql::list_dbs");
    } catch (const VbError&) {
        return nullptr;
    }
    return TakeResult(result.release());
}

std::shared_ptr<ado::Recordset> cMySQL::list_tables(const std::string& wild) {
    const std::string sql = "SHOW TABLES LIKE " + Quote(wild);
    ResultPtr result;
    try {
        result = Execute(*impl_, sql.data(), sql.size(), "cMysql::list_tables");
    } catch (const VbError&) {
        return nullptr;
    }
    return TakeResult(result.release());
}

std::shared_ptr<ado::Recordset> cMySQL::list_fields(const std::string& table, const std::string& wild) {
    // Table and pattern travel as data of the field-list command, not inside SQL text;
    // a NUL would cut them short, and no table has one in its name.
    if (table.find('\0') != std::string::npos || wild.find('\0') != std::string::npos) return nullptr;
    return TakeResult(mysql_list_fields(impl_->Record(), table.c_str(), wild.c_str()));
}

std::shared_ptr<ado::Recordset> cMySQL::list_processes() {
    return TakeResult(mysql_list_processes(impl_->Record()));
}

std::int32_t cMySQL::affected_rows() const {
    return mysqlclient::Narrow(mysql_affected_rows(impl_->Record()));
}

std::int32_t cMySQL::insert_id() const {
    return mysqlclient::Narrow(mysql_insert_id(impl_->Record()));
}

std::int32_t cMySQL::num_rows() const {
    return impl_->current ? mysqlclient::Narrow(mysql_num_rows(impl_->current.get())) : 0;
}

std::int32_t cMySQL::num_fields() const {
    return impl_->current ? static_cast<std::int32_t>(mysql_num_fields(impl_->current.get())) : 0;
}

bool cMySQL::eof() const {
    return impl_->current && mysql_eof(impl_->current.get()) != 0;
}

void cMySQL::free_result() {}
