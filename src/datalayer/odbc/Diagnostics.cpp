#include "datalayer/odbc/Diagnostics.h"

#include <string>

#include "datalayer/odbc/Handle.h"

namespace ado::odbc {

SQLRETURN Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* source) {
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA || rc == SQL_NEED_DATA) return rc;
    throw Diagnose(rc, handleType, handle, source);
}

OdbcError Diagnose(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* source) {
    // The first record is the one that says what went wrong; like ADO's description,
    // the text is the driver's own, prefixes included.
    std::string state, text;
    SQLINTEGER native = 0;
    if (rc != SQL_INVALID_HANDLE && handle != SQL_NULL_HANDLE) {
        SQLCHAR sqlState[6] = {};
        SQLSMALLINT length = 0;
        SQLCHAR small[512];
        SQLRETURN drc = SQLGetDiagRec(handleType, handle, 1, sqlState, &native, small, sizeof small, &length);
        if (SQL_SUCCEEDED(drc)) {
            state.assign(reinterpret_cast<const char*>(sqlState));
            if (length >= static_cast<SQLSMALLINT>(sizeof small)) {
                std::string big(static_cast<std::size_t>(length) + 1, '\0');
                SQLGetDiagRec(handleType, handle, 1, sqlState, &native, reinterpret_cast<SQLCHAR*>(big.data()),
                              static_cast<SQLSMALLINT>(big.size()), &length);
                big.resize(static_cast<std::size_t>(length));
                text = std::move(big);
            } else {
                text.assign(reinterpret_cast<const char*>(small), static_cast<std::size_t>(length));
            }
        }
    }
    if (text.empty())
        text = rc == SQL_INVALID_HANDLE
                   ? "ODBC call on an invalid handle"
                   : "ODBC call failed without a diagnostic (return code " + std::to_string(rc) + ")";
    return OdbcError(source, std::move(text), std::move(state), native);
}

template <SQLSMALLINT Type>
Handle<Type>::Handle(SQLHANDLE parent) {
    SQLHANDLE handle = SQL_NULL_HANDLE;
    constexpr SQLSMALLINT parentType = Type == SQL_HANDLE_DBC    ? SQL_HANDLE_ENV
                                       : Type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC
                                                                 : SQL_HANDLE_ENV;
    Check(SQLAllocHandle(Type, parent, &handle), parentType, parent, "ado.AllocHandle");
    handle_ = handle;
}

template class Handle<SQL_HANDLE_ENV>;
template class Handle<SQL_HANDLE_DBC>;
template class Handle<SQL_HANDLE_STMT>;

}  // namespace ado::odbc
