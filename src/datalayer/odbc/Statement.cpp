#include "datalayer/odbc/Statement.h"

#include <sqlext.h>

#include "datalayer/AdoErrors.h"
#include "datalayer/odbc/Diagnostics.h"

namespace ado::odbc {

namespace {

SQLCHAR* SqlText(const std::string& sql) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str()));
}
}  // namespace

Statement::Statement(const Dbc& dbc) : lock_(dbc.lock), handle_(Allocate(dbc.handle, *lock_)) {}

Statement::~Statement() {
    if (!lock_) return;  // moved from
    const ConnectionGuard hold(*lock_);
    handle_.Reset();
}

StmtHandle Statement::Allocate(SQLHDBC dbc, ConnectionMutex& lock) {
    const ConnectionGuard hold(lock);
    return StmtHandle(dbc);
}

void Statement::ExecDirect(const std::string& sql) {
    const ConnectionGuard hold(*lock_);
    CheckStmt(SQLExecDirect(get(), SqlText(sql), static_cast<SQLINTEGER>(sql.size())), get(), source::kStatement);
}

void Statement::ExecDirect(const std::string& sql, const std::vector<const Value*>& parameters) {
    if (slots_.size() < parameters.size()) slots_.resize(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) Bind(i, *parameters[i]);
    ExecDirect(sql);
}

void Statement::Prepare(const std::string& sql) {
    const ConnectionGuard hold(*lock_);
    CheckStmt(SQLPrepare(get(), SqlText(sql), static_cast<SQLINTEGER>(sql.size())), get(), source::kStatement);
}

void Statement::Execute(const std::vector<const Value*>& parameters) {
    if (slots_.size() < parameters.size()) slots_.resize(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) Bind(i, *parameters[i]);
    const ConnectionGuard hold(*lock_);
    CheckStmt(SQLExecute(get()), get(), source::kStatement);
}

void Statement::Bind(std::size_t index, const Value& value) {
    Slot& s = slots_[index];
    SQLPOINTER data = nullptr;
    SQLLEN bufferLength = 0;
    if (value.IsNull()) {
        s.cType = SQL_C_CHAR;
        s.sqlType = SQL_VARCHAR;
        s.columnSize = 1;
        s.indicator = SQL_NULL_DATA;
        data = s.bytes.data();
    } else if (value.IsInteger()) {
        s.cType = SQL_C_SBIGINT;
        s.sqlType = SQL_BIGINT;
        s.columnSize = 0;
        s.integer = value.AsInteger();
        s.indicator = 0;
        data = &s.integer;
    } else if (value.IsDouble()) {
        s.cType = SQL_C_DOUBLE;
        s.sqlType = SQL_DOUBLE;
        s.columnSize = 0;
        s.number = value.AsDouble();
        s.indicator = 0;
        data = &s.number;
    } else {
        const bool binary = value.IsBytes();
        s.bytes = binary ? value.AsBytes().data : value.AsText();
        s.cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
        s.sqlType = binary ? SQL_LONGVARBINARY : SQL_VARCHAR;
        s.columnSize = s.bytes.empty() ? 1 : s.bytes.size();
        s.indicator = static_cast<SQLLEN>(s.bytes.size());
        bufferLength = s.indicator;
        data = s.bytes.data();
    }
    CheckStmt(SQLBindParameter(get(), static_cast<SQLUSMALLINT>(index + 1), SQL_PARAM_INPUT, s.cType, s.sqlType,
                               s.columnSize, 0, data, bufferLength, &s.indicator),
              get(), source::kStatement);
}

SQLSMALLINT Statement::ResultColumns() {
    SQLSMALLINT count = 0;
    CheckStmt(SQLNumResultCols(get(), &count), get(), source::kStatement);
    return count;
}

SQLLEN Statement::RowCount() {
    SQLLEN count = -1;
    CheckStmt(SQLRowCount(get(), &count), get(), source::kStatement);
    return count;
}

bool Statement::Fetch() {
    const ConnectionGuard hold(*lock_);
    return CheckStmt(SQLFetch(get()), get(), source::kStatement) != SQL_NO_DATA;
}

void Statement::CloseCursor() {
    const ConnectionGuard hold(*lock_);
    CheckStmt(SQLFreeStmt(get(), SQL_CLOSE), get(), source::kStatement);
}

}  // namespace ado::odbc
