#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "datalayer/AdoConstants.h"

namespace ado {

class Recordset;

// A connection to a database through an ODBC data source, in the manner of an ADO
// connection. Failures reported by the driver raise VbError -2147467259 with the
// driver's diagnostic text. Sessions speak utf8mb4.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    std::int32_t ConnectionTimeout() const { return connectionTimeout_; }
    void SetConnectionTimeout(std::int32_t seconds) { connectionTimeout_ = seconds; }
    int CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(int location) { cursorLocation_ = location; }

    void Open(const std::string& connectionString, const std::string& user = {}, const std::string& password = {},
              int options = -1);
    // Runs one SQL text. A query gives an open forward-only, read-only recordset; any
    // other statement a closed one. recordsAffected, when given, receives the row count.
    std::shared_ptr<Recordset> Execute(const std::string& sql, std::int64_t* recordsAffected = nullptr,
                                       int options = adCmdUnspecified);
    int State() const;
    // Closes the connection and every recordset still open over it. Raises 3704 when
    // it is already closed.
    void Close();

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    void Disconnect() noexcept;

    std::int32_t connectionTimeout_ = 15;
    int cursorLocation_ = adUseServer;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ado
