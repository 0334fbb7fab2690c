#include "datalayer/Connection.h"

#include <sqlext.h>

#include <cstdlib>

#include "datalayer/AdoErrors.h"
#include "datalayer/BulkLoad.h"
#include "datalayer/ConnectionImpl.h"
#include "datalayer/Recordset.h"
#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/Diagnostics.h"
#include "datalayer/odbc/Query.h"
#include "datalayer/odbc/SqlText.h"
#include "datalayer/odbc/Statement.h"

namespace ado {

namespace {

// Limits on every wait for the server (seconds). A read or write waits at most as long
// as one statement of a copy may legitimately take on the biggest customer: emptying a
// table of millions of rows, the order-detail remap or a count on a server that syncs
// every commit takes minutes; an hour leaves a wide margin and still ends the wait on a
// server that no longer answers. Connecting is bounded by ConnectionTimeout. Stopping a
// run waits for none of these: it cuts the socket (Abort).
constexpr int kReadWriteTimeout = 3600;

// The session as the copy needs it, set after connecting (so that nothing a data source
// runs at connect time, such as an INITSTMT, can undo it) and then checked:
// - text travels as UTF-8 bytes, so it must speak utf8mb4 (the connection string asks the
//   driver for it: this driver honours the last CHARSET given and refuses SET NAMES
//   behind its back);
// - strict for every engine, so a value the target cannot hold as it is (too long, out of
//   range, a character its column set lacks, Null into NOT NULL) is refused with the
//   server's error on MyISAM as on InnoDB, however the server or its data source is set.
//   Only STRICT_ALL_TABLES is added: zero dates the source holds are still accepted;
// - in one time zone on every connection (kSessionTimeZone), whatever each server's
//   default: a TIMESTAMP read from one server and written to another keeps its instant,
//   and both sides of a verification read what is stored alike.
// Returns the client port the server saw for this session (0 over a local socket).
int PrepareSession(const odbc::Dbc& dbc) {
    const std::string setUp =
        std::string("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), 'STRICT_ALL_TABLES'), ") +
        "time_zone = '" + kSessionTimeZone + "'";
    odbc::RunQuery(dbc, setUp);
    const odbc::QueryResult session = odbc::RunQuery(
        dbc,
        "SELECT CONCAT_WS(',', @@character_set_client, @@character_set_connection, @@character_set_results), "
        "@@SESSION.sql_mode, (SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = CONNECTION_ID()), "
        "@@SESSION.time_zone");
    if (session.rows.size() != 1 || session.rows[0].size() != 4)
        Raise(vberr::kProviderError, source::kConnection, "데이터베이스 연결의 설정을 읽을 수 없습니다.");
    const std::string charsets = session.rows[0][0].Text();
    const std::string mode = session.rows[0][1].Text();
    const std::string host = session.rows[0][2].Text();
    const std::string sessionZone = session.rows[0][3].Text();
    if (charsets != "utf8mb4,utf8mb4,utf8mb4")
        Raise(vberr::kProviderError, source::kConnection,
              "데이터베이스 연결의 문자 집합이 utf8mb4가 아닙니다(" + charsets +
                  "). 한글과 특수 문자가 바뀔 수 있어 연결을 쓰지 않습니다.");
    if (("," + mode + ",").find(",STRICT_ALL_TABLES,") == std::string::npos)
        Raise(vberr::kProviderError, source::kConnection,
              "데이터베이스 연결을 엄격 모드(STRICT_ALL_TABLES)로 설정하지 못했습니다(sql_mode: " + mode +
                  "). 값이 잘리거나 바뀌어 저장될 수 있어 연결을 쓰지 않습니다.");
    if (sessionZone != kSessionTimeZone)
        Raise(vberr::kProviderError, source::kConnection,
              "데이터베이스 연결의 시간대를 " + std::string(kSessionTimeZone) + "(으)로 맞추지 못했습니다(time_zone: " +
                  sessionZone + "). 날짜와 시각이 바뀌어 저장될 수 있어 연결을 쓰지 않습니다.");
    // "address:port" over TCP, "localhost" over a local socket.
    const std::size_t colon = host.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(host.c_str() + colon + 1);
}

}  // namespace

Connection::Connection() : bulkLoad_(BulkLoadByDefault()), impl_(std::make_unique<Impl>()) {}

Connection::~Connection() {
    Disconnect();
}

void Connection::Open(const std::string& connectionString, const std::string& user, const std::string& password,
                      int /*options*/) {
    Impl& s = *impl_;
    if (s.connected) Raise(err::kObjectOpen, source::kConnection, err::kObjectOpenText);

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
    add("READ_TIMEOUT", std::to_string(kReadWriteTimeout));
    add("WRITE_TIMEOUT", std::to_string(kReadWriteTimeout));
    // A reconnect behind the program's back would lose the session's settings.
    add("AUTO_RECONNECT", "0");

    odbc::EnvHandle env(SQL_NULL_HANDLE);
    odbc::Check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
                SQL_HANDLE_ENV, env.get(), source::kConnection);
    odbc::DbcHandle dbc(env.get());
    // Nothing else runs on the connection until its session is set up.
    const odbc::ConnectionGuard hold(*s.lock);
    if (connectionTimeout_ > 0)
        odbc::CheckDbc(SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                         reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connectionTimeout_)), 0),
                       dbc.get(), source::kConnection);
    if (!s.socket.BeginConnect()) Raise(vberr::kProviderError, source::kConnection, "연결이 중지되었습니다.");
    const SQLRETURN rc = SQLDriverConnect(dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr,
                                          0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) s.socket.Forget();
    odbc::CheckDbc(rc, dbc.get(), source::kConnection);
    try {
        if (!s.socket.EndConnect(PrepareSession({dbc.get(), s.lock})))
            Raise(vberr::kProviderError, source::kConnection,
                  "데이터베이스 연결의 소켓을 확인하지 못했습니다. 중지할 수 없는 연결이라 쓰지 않습니다.");
    } catch (...) {
        s.socket.Forget();
        SQLDisconnect(dbc.get());
        throw;
    }
    s.loads->Prepare(s.socket.Peer(),
                     password.empty() ? odbc::ConnectionStringAttribute(connectionString, "PWD") : password,
                     connectionTimeout_, kReadWriteTimeout);
    s.env = std::move(env);
    s.dbc = std::move(dbc);
    s.connected = true;
}

std::shared_ptr<Recordset> Connection::Execute(const std::string& sql, std::int64_t* recordsAffected, int /*options*/) {
    if (!impl_->connected) Raise(err::kConnectionUnusable, source::kConnection, err::kConnectionUnusableText);
    auto recordset = std::make_shared<Recordset>();
    odbc::Statement statement(impl_->Dbc());
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
    if (!impl_->connected) Raise(err::kObjectClosed, source::kConnection, err::kObjectClosedText);
    Disconnect();
}

void Connection::Abort() {
    impl_->socket.Cut();
    impl_->loads->Cut();
}

std::string Connection::BulkLoadRefusal() const {
    return impl_->loads->Refusal();
}

bool Connection::Aborted() const {
    return impl_->socket.WasCut();
}

std::optional<Connection::ServerEnd> Connection::Server() const {
    const auto peer = impl_->socket.Peer();
    if (!peer) return std::nullopt;
    return ServerEnd{peer->tcp, peer->address, peer->port};
}

void Connection::Disconnect() noexcept {
    Impl& s = *impl_;
    if (!s.connected) return;
    // Recordsets over this connection close first: disconnecting would free their
    // statements under them.
    while (!s.recordsets.empty()) s.recordsets.back()->Release();
    s.connected = false;
    s.socket.Forget();
    s.loads->Close();
    const odbc::ConnectionGuard hold(*s.lock);
    SQLDisconnect(s.dbc.get());
    s.dbc.Reset();
    s.env.Reset();
}

}  // namespace ado
