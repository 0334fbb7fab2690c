// cMySQL: the administration and information calls, each one library call on the
// object's connection with the class's error convention.
#include <string>

#include "common/VbError.h"
#include "mysqlclient/cMySQL.h"
#include "mysqlclient/cMySQLImpl.h"

using mysqlclient::CString;

namespace {
// A database name as an SQL identifier: in back quotes, back quotes inside doubled.
std::string QuoteIdentifier(const std::string& name) {
    std::string quoted = "`";
    for (char c : name) {
        if (c == '`') quoted += '`';
        quoted += c;
    }
    return quoted + "`";
}
}  // namespace

// --- Status calls: a non-zero status raises ----------------------------------------------

void cMySQL::create_db(const std::string& db) {
    MYSQL* record = impl_->Record();
    // libmariadb has no mysql_create_db; this is the statement that call sent.
    const std::string sql = "CREATE DATABASE " + QuoteIdentifier(db);
    if (mysql_real_query(record, sql.data(), sql.size()) != 0) impl_->RaiseLibraryError("cMysql::create_db");
}

void cMySQL::select_db(const std::string& db) {
    static constexpr const char* kSource = "cMysql::select_db";
    const char* dbZ = CString(db, kSource);
    const int status = mysql_select_db(impl_->Record(), dbZ);
    // Kept even when rejected: a later reconnect by query asks for this database.
    db_ = db;
    if (status != 0) impl_->RaiseLibraryError(kSource);
}

void cMySQL::ping() {
    if (mysql_ping(impl_->Record()) != 0) impl_->RaiseLibraryError("cMysql::ping");
}

void cMySQL::shutdown() {
    if (mysql_shutdown(impl_->Record(), SHUTDOWN_DEFAULT) != 0) impl_->RaiseLibraryError("cMysql::shutdown");
}

void cMySQL::Refresh(std::int32_t refresh_options) {
    if (mysql_refresh(impl_->Record(), static_cast<unsigned int>(refresh_options)) != 0)
        impl_->RaiseLibraryError("cMysql::refresh");
}

void cMySQL::dump_debug_info() {
    if (mysql_dump_debug_info(impl_->Record()) != 0) impl_->RaiseLibraryError("cMysql::dump_debug_info");
}

// --- Calls whose outcome is not checked ---------------------------------------------------

void cMySQL::Kill(std::int32_t PID) {
    mysql_kill(impl_->Record(), static_cast<unsigned long>(static_cast<std::uint32_t>(PID)));
}

void cMySQL::debug_push(const std::string& DBUG_PUSH) {
    mysql_debug(CString(DBUG_PUSH, "cMysql::debug_push"));
}

std::int32_t cMySQL::thread_safe() const {
    return static_cast<std::int32_t>(mysql_thread_safe());
}

void cMySQL::escape_string(std::string& to_, const std::string& from_, std::int32_t from_length) const {
    // The library reads from_length bytes; a length past the text would read beyond it.
    if (from_length < 0 || static_cast<std::size_t>(from_length) > from_.size())
        throw VbError(mysqlclient::kInvalidArgument, "cMysql::escape_string", mysqlclient::kInvalidArgumentText);
    to_ = impl_->Escape(from_.data(), static_cast<std::size_t>(from_length));
}

std::string cMySQL::Quote(const std::string& text) const {
    return "'" + impl_->Escape(text.data(), text.size()) + "'";
}

// --- Information calls: a null pointer (or zero) raises -------------------------------------

std::string cMySQL::get_client_info() const {
    const char* text = mysql_get_client_info();
    if (!text) impl_->RaiseLibraryError("cMysql::get_client_info");
    return cstr_to_string(text);
}

std::string cMySQL::get_host_info() const {
    const char* text = mysql_get_host_info(impl_->Record());
    if (!text) impl_->RaiseLibraryError("cMysql::get_host_info");
    return cstr_to_string(text);
}

std::string cMySQL::get_server_info() const {
    const char* text = mysql_get_server_info(impl_->Record());
    if (!text) impl_->RaiseLibraryError("cMysql::get_server_info");
    return cstr_to_string(text);
}

std::string cMySQL::get_proto_info() const {
    const unsigned int version = mysql_get_proto_info(impl_->Record());
    if (version == 0) impl_->RaiseLibraryError("cMysql::get_proto_info");
    return std::to_string(version);
}

std::string cMySQL::info() const {
    const char* text = mysql_info(impl_->Record());
    if (!text) impl_->RaiseLibraryError("cMysql::info");
    return cstr_to_string(text);
}

std::string cMySQL::stat() const {
    const char* text = mysql_stat(impl_->Record());
    if (!text) impl_->RaiseLibraryError("cMysql::stat");
    return cstr_to_string(text);
}

std::int32_t cMySQL::thread_id() const {
    const unsigned long id = mysql_thread_id(impl_->Record());
    if (id == 0) impl_->RaiseLibraryError("cMysql::thread_id");
    return mysqlclient::Narrow(id);
}
