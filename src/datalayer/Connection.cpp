#include "datalayer/Connection.h"

#include <sqlext.h>

#include <algorithm>

#include "datalayer/AdoErrors.h"
#include "datalayer/ConnectionImpl.h"
#include "datalayer/Recordset.h"
#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Diagnostics.h"
#include "datalayer/odbc/SqlText.h"
#include "datalayer/odbc/Statement.h"

namespace ado {

namespace {

constexpr const char* kSource = "ado.Connection";

// Text travels as UTF-8 bytes, so the session must speak utf8mb4. The connection string
// asks the driver for it (this driver honours the last CHARSET given, over the data
// source's, and refuses SET NAMES behind its back); this checks that it took.
void RequireUtf8mb4(SQLHDBC dbc) {
    odbc::Statement statement(dbc);
    statement.ExecDirect(
        "SELECT CONCAT_WS(',', @@character_set_client, @@character_set_connection, @@character_set_results)");
    std::string charsets(64, '\0');
    SQLLEN indicator = 0;
    if (statement.Fetch())
        odbc::CheckStmt(SQLGetData(statement.get(), 1, SQL_C_CHAR, charsets.data(),
                                   static_cast<SQLLEN>(charsets.size()), &indicator),
                        statement.get(), kSource);
    charsets.resize(indicator > 0 ? std::min<std::size_t>(static_cast<std::size_t>(indicator), charsets.size() - 1)
                                  : 0);
    if (charsets != "utf8mb4,utf8mb4,utf8mb4")
        Raise(vberr::kProviderError, kSource, "The session speaks " + charsets + " instead of utf8mb4.");
}

}  // namespace

Connection::Connection() : impl_(std::make_unique<Impl>()) {}

Connection::~Connection() {
    Disconnect();
}

void Connection::Open(const std::string& connectionString, const std::string& user, const std::string& password,
                      int /*options*/) {
    Impl& s = *impl_;
    if (s.connected) Raise(err::kObjectOpen, kSource, err::kObjectOpenText);

    std::string text = connectionString;
    auto add = [&text](const char* key, const std::string& value) {
        if (!text.empty() && text.back() != ';') text += ';';
        text += key;
        text += '=';
        text += odbc::ConnectionStringValue(value);
    };
    if (!user.empty()) add("UID", user);
    if (!password.empty()) add("PWD", password);
    add("CHARSET", "utf8mb4");

    odbc::EnvHandle env(SQL_NULL_HANDLE);
    odbc::Check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                SQL_HANDLE_ENV, env.get(), kSource);
    odbc::DbcHandle dbc(env.get());
    if (connectionTimeout_ > 0)
        odbc::CheckDbc(SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                         reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connectionTimeout_)), 0),
                       dbc.get(), kSource);
    odbc::CheckDbc(SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                                    nullptr, SQL_DRIVER_NOPROMPT),
                   dbc.get(), kSource);
    try {
        RequireUtf8mb4(dbc.get());
    } catch (...) {
        SQLDisconnect(dbc.get());
        throw;
    }
    s.env = std::move(env);
    s.dbc = std::move(dbc);
    s.connected = true;
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& sql, std::int64_t* recordsAffected, int /*options*/) {
    if (!impl_->connected) Raise(err::kConnectionUnusable, kSource, err::kConnectionUnusableText);
    auto recordset = std::make_shared<Recordset>();
    odbc::Statement statement(impl_->dbc.get());
    statement.ExecDirect(sql);
    if (statement.ResultColumns() == 0) {
        // A statement without rows: the recordset stays closed, as ADO hands it back.
        if (recordsAffected) *recordsAffected = statement.RowCount();
        return recordset;
    }
    if (recordsAffected) *recordsAffected = -1;
    recordset->OpenResult(std::move(statement), sql, *this);
    return recordset;
}

int Connection::State() const {
    return impl_->connected ? adStateOpen : adStateClosed;
}

void Connection::Close() {
    if (!impl_->connected) Raise(err::kObjectClosed, kSource, err::kObjectClosedText);
    Disconnect();
}

void Connection::Disconnect() noexcept {
    Impl& s = *impl_;
    if (!s.connected) return;
    // Recordsets over this connection close first: disconnecting would free their
    // statements under them.
    while (!s.recordsets.empty()) s.recordsets.back()->Release();
    s.connected = false;
    SQLDisconnect(s.dbc.get());
    s.dbc.Reset();
    s.env.Reset();
}

}  // namespace ado
