#pragma once
// Internal: owners of ODBC handles. Each frees its handle when it goes; a statement must
// go before its connection is disconnected (disconnecting frees the driver's statements).
#include <sql.h>

#include <utility>

namespace ado::odbc {

template <SQLSMALLINT Type>
class Handle {
public:
    Handle() = default;
    // Allocates a handle under `parent` (SQL_NULL_HANDLE for an environment); raises the
    // driver's diagnostic on failure.
    explicit Handle(SQLHANDLE parent);
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset() {
        if (handle_ != nullptr) SQLFreeHandle(Type, std::exchange(handle_, nullptr));
    }

private:
    SQLHANDLE handle_ = nullptr;
};

using EnvHandle = Handle<SQL_HANDLE_ENV>;
using DbcHandle = Handle<SQL_HANDLE_DBC>;
using StmtHandle = Handle<SQL_HANDLE_STMT>;

}  // namespace ado::odbc
