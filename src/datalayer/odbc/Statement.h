#pragma once
// Internal: one ODBC statement with its parameter buffers. Values are bound by their
// kind: text as UTF-8 SQL_C_CHAR/SQL_VARCHAR (so '0000-00-00' reaches a DATE column as
// text), integers as 64-bit, doubles as doubles, bytes as binary, Null as a NULL.
// Every exchange with the server takes the connection's lock (see ConnectionLock).
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "datalayer/Value.h"
#include "datalayer/odbc/ConnectionLock.h"
#include "datalayer/odbc/Handle.h"

namespace ado::odbc {

class Statement {
public:
    explicit Statement(const Dbc& dbc);
    // Allocating and freeing a statement changes the driver's connection too: both take
    // the connection's lock.
    ~Statement();
    Statement(Statement&&) = default;
    Statement& operator=(Statement&&) = delete;

    SQLHSTMT get() const { return handle_.get(); }

    // Runs an SQL text at once (one exchange with the server, markers or not).
    void ExecDirect(const std::string& sql);
    void ExecDirect(const std::string& sql, const std::vector<const Value*>& parameters);
    void Prepare(const std::string& sql);
    // Runs the prepared statement with these values for its markers, in order. This driver
    // prepares on the server: Prepare and every Execute are an exchange each.
    void Execute(const std::vector<const Value*>& parameters);

    SQLSMALLINT ResultColumns();
    // Rows changed by the last INSERT, UPDATE or DELETE (-1 when unknown).
    SQLLEN RowCount();
    bool Fetch();
    // Ends the current result so the statement can run again.
    void CloseCursor();

private:
    // A value's bytes, kept alive until the statement has run.
    struct Slot {
        SQLSMALLINT cType = SQL_C_CHAR;
        SQLSMALLINT sqlType = SQL_VARCHAR;
        SQLULEN columnSize = 1;
        std::string bytes;
        std::int64_t integer = 0;
        double number = 0;
        SQLLEN indicator = SQL_NULL_DATA;
    };
    void Bind(std::size_t index, const Value& value);
    static StmtHandle Allocate(SQLHDBC dbc, ConnectionMutex& lock);

    std::shared_ptr<ConnectionMutex> lock_;
    StmtHandle handle_;
    std::vector<Slot> slots_;
};

}  // namespace ado::odbc
