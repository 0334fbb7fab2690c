#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "datalayer/AdoConstants.h"

namespace ado {

class Recordset;

// The time zone of every session: values of TIMESTAMP columns are read and written in it.
inline constexpr const char* kSessionTimeZone = "+00:00";

// A connection to a database through an ODBC data source, in the manner of an ADO
// connection. Failures reported by the driver raise OdbcError (a VbError numbered
// -2147467259 with the driver's diagnostic text). Sessions speak utf8mb4 in strict mode
// for every engine, in the time zone kSessionTimeZone, and no wait for the server is unbounded. Recordsets
// opened over a connection keep it alive while they are open (when it is held by a
// shared_ptr) and are closed with it.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Seconds the driver may take to log in (ODBC's login timeout); read by Open.
    std::int32_t ConnectionTimeout() const { return connectionTimeout_; }
    void SetConnectionTimeout(std::int32_t seconds) { connectionTimeout_ = seconds; }
    // Kept as set: every recordset reads its rows into client memory either way (this
    // driver buffers whole results), so server and client cursors behave alike.
    int CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(int location) { cursorLocation_ = location; }

    // Whether rows added in batch mode to a transactional table may be stored with LOAD
    // DATA (the faster way; see BulkLoad.h for the default). Off, they go as array-bound
    // INSERTs. The outcome is the same either way.
    bool BulkLoad() const { return bulkLoad_; }
    void SetBulkLoad(bool allowed) { bulkLoad_ = allowed; }
    // Why LOAD DATA is no longer tried on this connection (a refusal that would come
    // again for every load, said once); empty while it may be.
    std::string BulkLoadRefusal() const;

    // Connects with an ODBC connection string ("DSN=...;PWD=..."); a non-empty user or
    // password is added as UID/PWD. Raises 3705 when already open, and refuses (closing
    // it again) a connection whose socket cannot be told, since Abort could not cut it.
    void Open(const std::string& connectionString, const std::string& user = {}, const std::string& password = {},
              int options = -1);
    // Runs one SQL text. A query gives an open forward-only, read-only recordset; any
    // other statement a closed one. recordsAffected, when given, receives the row count
    // (-1 for a query). Raises 3709 when the connection is closed.
    std::shared_ptr<Recordset> Execute(const std::string& sql, std::int64_t* recordsAffected = nullptr,
                                       int options = adCmdUnspecified);
    int State() const;
    // From any thread: cuts the connection under a call blocked on the server (a frozen
    // or unreachable one), which then fails at once, as does every later call. Also
    // while Open is connecting on another thread.
    void Abort();
    bool Aborted() const;
    // Where the open connection leads: a TCP address and port, or a local socket's path.
    // Empty when closed or when the connection's socket could not be told for certain.
    struct ServerEnd {
        bool tcp = false;
        std::string address;
        int port = 0;
    };
    std::optional<ServerEnd> Server() const;
    // Closes the connection and every recordset still open over it. Raises 3704 when
    // it is already closed.
    void Close();

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    void Disconnect() noexcept;

    std::int32_t connectionTimeout_ = 15;
    int cursorLocation_ = adUseServer;
    bool bulkLoad_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ado
