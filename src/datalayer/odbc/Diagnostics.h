#pragma once
// Internal: the one checked-call helper. Every ODBC call's return code goes through
// Check, which turns a failure into the driver's diagnostic as an OdbcError.
#include <sql.h>

#include "datalayer/OdbcError.h"

namespace ado::odbc {

// Returns `rc` when it is a success, SQL_NO_DATA or SQL_NEED_DATA; otherwise raises
// OdbcError(-2147467259, source, first diagnostic text) read from the handle.
SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* source);

// The error a failed call left on the handle, for a caller that hands it on rather than
// raising it at once.
OdbcError Diagnose(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* source);

inline SQLRETURN CheckStmt(SQLRETURN rc, SQLHANDLE stmt, const char* source) {
    return Check(rc, SQL_HANDLE_STMT, stmt, source);
}
inline SQLRETURN CheckDbc(SQLRETURN rc, SQLHANDLE dbc, const char* source) {
    return Check(rc, SQL_HANDLE_DBC, dbc, source);
}

}  // namespace ado::odbc
