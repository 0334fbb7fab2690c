#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace ado {
class Recordset;
}
struct st_mysql_res;  // the client library's result, known only inside the class's sources

// One client connection to a MySQL/MariaDB server over the MySQL C client library.
// Rows come back as in-memory recordsets whose fields are all text; library failures
// are raised as VbError with the library's number, "cMysql::<member>" and its text.
// Only real_connect and query catch their own errors and show them in a message box.
//
// Every text the library hands back loses its leading and trailing spaces (U+0020);
// a NULL pointer or NULL cell reads as "". Connections speak utf8mb4; strings are UTF-8.
//
// No call waits for ever on a server that stopped answering: a connect gives up after
// kConnectTimeoutSeconds, a statement after kReadWriteTimeoutSeconds without a byte
// moving either way, and the user is told that the server did not answer.
class cMySQL {
public:
    static constexpr unsigned int kConnectTimeoutSeconds = 10;
    static constexpr unsigned int kReadWriteTimeoutSeconds = 20;

    // Raises 512 "cMysql::Initialize" when the client library cannot set up the record.
    // `serverName` names the server for the user in a refusal ("사내 데이터베이스 서버").
    explicit cMySQL(std::string serverName = "데이터베이스 서버");
    // Closes the connection, if any.
    ~cMySQL();
    cMySQL(const cMySQL&) = delete;
    cMySQL& operator=(const cMySQL&) = delete;

    // --- Connection --------------------------------------------------------------

    // Connects with the given values; an empty string keeps the property of that name,
    // a port other than 3306 is recorded in `port` (the library gets the argument
    // itself), a non-zero clientflag is recorded in `ClientFlags` (the library gets the
    // property). Stores NoErrMsg. On failure shows "Error <n> <text>" with advice unless
    // NoErrMsg is set, and returns false; err_no/err_description then tell why. The
    // session is encrypted with the server's certificate checked against the built-in
    // authority: a server TLS refuses is never used, and the message names it and why.
    bool real_connect(const std::string& host = {}, const std::string& user = {}, const std::string& passwd = {},
                      const std::string& db = {}, std::int32_t port = 3306, const std::string& unix_socket = {},
                      std::int32_t clientflag = 0, bool NoErrMsg = false);
    std::int32_t err_no() const;
    std::string err_description() const;
    // The server's name for the user and its host: "사내 데이터베이스 서버 127.0.0.1".
    std::string ServerName() const;

    // --- Queries and results -------------------------------------------------------

    // Runs one statement. Rows give a recordset positioned on its last row (call
    // MoveFirst to read from the top); a statement without rows, or any failure, gives
    // nullptr. A lost connection (2006/2013) is re-established once with the stored
    // account on port 3306 and the statement sent once more; the lost session is killed
    // only when it is still ours (same server start, same account). A server that did
    // not answer within the limit is not asked again. Any other failure shows
    // "Error <n> (<text>)". Never raises.
    std::shared_ptr<ado::Recordset> query(const std::string& SQL);
    // Like query for the first `length` bytes of the statement, without the reconnect
    // and without a message box: failures are raised as "cMysql::real_query".
    std::shared_ptr<ado::Recordset> real_query(const std::string& query, std::int32_t length);
    // Listings; a failure gives nullptr and raises nothing.
    std::shared_ptr<ado::Recordset> list_dbs(const std::string& wild = "%");
    std::shared_ptr<ado::Recordset> list_tables(const std::string& wild = "%");
    std::shared_ptr<ado::Recordset> list_fields(const std::string& table = {}, const std::string& wild = "%");
    std::shared_ptr<ado::Recordset> list_processes();

    // Counts narrowed to signed 32 bits (the library's all-ones error value is -1).
    std::int32_t affected_rows() const;
    std::int32_t insert_id() const;
    // Read the latest result (0 / false before the first one).
    std::int32_t num_rows() const;
    std::int32_t num_fields() const;
    bool eof() const;
    // Does nothing: results stay readable through num_rows/num_fields/eof until the
    // next one replaces them, and are released with the object.
    void free_result();

    // --- Administration and information ----------------------------------------------

    void create_db(const std::string& db);
    // Stores `db` into the property even when the server rejects it.
    void select_db(const std::string& db);
    void ping();
    // Shuts the server down (default level).
    void shutdown();
    // Failures are reported with the source "cMysql::refresh".
    void Refresh(std::int32_t refresh_options);
    void dump_debug_info();
    // Kills a server thread; the outcome is ignored.
    void Kill(std::int32_t PID);
    void debug_push(const std::string& DBUG_PUSH);
    std::string get_client_info() const;
    std::string get_host_info() const;
    std::string get_server_info() const;
    std::string get_proto_info() const;
    std::string info() const;
    std::string stat() const;
    std::int32_t thread_id() const;
    std::int32_t thread_safe() const;
    // Escapes the first from_length bytes of from_ for use inside a quoted SQL string
    // and puts the result, untrimmed, into to_. from_length outside 0..from_.size()
    // raises 5 "cMysql::escape_string". The escaping follows the live session: its
    // character set, and doubled quotes only when the server runs with
    // NO_BACKSLASH_ESCAPES (where a backslash is an ordinary character).
    void escape_string(std::string& to_, const std::string& from_, std::int32_t from_length) const;
    // The text as a whole single-quoted SQL literal, escaped as escape_string does. Every
    // text put into a statement on this connection goes through here.
    std::string Quote(const std::string& text) const;

    // --- Properties ----------------------------------------------------------------

    const std::string& user() const { return user_; }
    void SetUser(const std::string& sUsername) { user_ = sUsername; }
    const std::string& password() const { return password_; }
    void SetPassword(const std::string& sPassword) { password_ = sPassword; }
    const std::string& host() const { return host_; }
    void SetHost(const std::string& sHost) { host_ = sHost; }
    // The last port other than 3306 given to real_connect; the connect itself never reads it.
    std::int32_t port() const { return port_; }
    void SetPort(std::int32_t sPort) { port_ = sPort; }
    const std::string& db() const { return db_; }
    void SetDb(const std::string& sDB) { db_ = sDB; }
    std::int32_t ClientFlags() const { return ClientFlags_; }
    void SetClientFlags(std::int32_t sClientFlags) { ClientFlags_ = sClientFlags; }
    const std::string& unix_socket() const { return unix_socket_; }
    void SetUnix_socket(const std::string& sUnix_socket) { unix_socket_ = sUnix_socket; }
    // The NoErrMsg of the last real_connect; query's reconnect uses it again.
    bool NoErrMsg() const { return NoErrMsg_; }

    struct Impl;

private:
    // Reads a text the library produced: "" for a null pointer, spaces trimmed.
    static std::string cstr_to_string(const char* text);
    // Turns the current result into a new in-memory recordset.
    std::shared_ptr<ado::Recordset> make_recordset();
    // Makes a library result (owned from here on) the current one and converts it;
    // nullptr when there is none.
    std::shared_ptr<ado::Recordset> TakeResult(st_mysql_res* result);

    std::unique_ptr<Impl> impl_;
    std::string serverName_;
    std::string user_;
    std::string password_;
    std::string host_;
    std::string db_;
    std::string unix_socket_;
    std::int32_t ClientFlags_ = 0;
    std::int32_t port_ = 0;
    bool NoErrMsg_ = false;
};
