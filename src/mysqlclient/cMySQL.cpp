// cMySQL: construction and release of the connection record, real_connect, the error
// members and the reader of library texts.
#include "mysqlclient/cMySQL.h"

#include <errmsg.h>

#include <chrono>
#include <cstring>
#include <string_view>

#include "common/ClientTls.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/TrimBlanks.h"
#include "common/VbError.h"
#include "mysqlclient/cMySQLImpl.h"

namespace {
constexpr const char* kCrLf = "\r\n";
// Raised by a connect that the record's refused options do not allow.
constexpr std::int32_t kOptionsRefused = 5;

// libmariadb reports a server host it cannot reach over TCP as 2002 with this text (its
// own header calls 2003 "never sent to a client, message only"); 2002 through a local
// socket reads "Can't connect to local server through socket ...".
constexpr std::string_view kHostUnreachableText = "Can't connect to server on ";

bool ServerHostUnreachable(std::int32_t number, const std::string& libraryText) {
    return number == CR_CONN_HOST_ERROR ||
           (number == CR_CONNECTION_ERROR && libraryText.starts_with(kHostUnreachableText));
}

// What the user is told below the library's text when a connect fails.
std::string ConnectAdvice(bool serverHostUnreachable, bool timedOut) {
    std::string advice = "데이터베이스 서버에 접속할 수 없습니다.";
    if (timedOut) {
        advice += std::string(kCrLf) + kCrLf + "서버가 " + std::to_string(cMySQL::kConnectTimeoutSeconds) +
                  "초 동안 응답하지 않았습니다. 서버가 멈추었거나 네트워크가 끊겼을 수 있습니다.";
    } else if (serverHostUnreachable) {
        advice += std::string(kCrLf) + kCrLf + "인터넷이 연결되어 있는지 확인 해 주세요." + kCrLf + kCrLf +
                  "인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 주세요." +
                  kCrLf + "관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다.";
    }
    return advice;
}
}  // namespace

// --- The record -------------------------------------------------------------------

cMySQL::Impl::Impl() = default;

cMySQL::Impl::~Impl() {
    current.reset();
    Close();
}

MYSQL* cMySQL::Impl::Record() {
    if (state != State::Closed) return &record;
    if (!mysql_init(&record)) {
        throw VbError(512, "cMysql::Initialize", "Cannot Initialize a mysql record::Fatal");
    }
    state = State::Fresh;
    refusedOptions.clear();
    // Korean text must arrive intact whatever the server's default character set is.
    // A server that stopped (or a network that went away) must not hold the program.
    // A server may answer any statement of a session that allows local files with a
    // request for a file of this computer; cMySQL never loads one.
    const unsigned int connectLimit = kConnectTimeoutSeconds;
    const unsigned int readWriteLimit = kReadWriteTimeoutSeconds;
    const unsigned int noLocalFiles = 0;
    const char* refused = nullptr;
    if (mysql_options(&record, MYSQL_SET_CHARSET_NAME, "utf8mb4") != 0)
        refused = "MYSQL_SET_CHARSET_NAME";
    else if (mysql_options(&record, MYSQL_OPT_CONNECT_TIMEOUT, &connectLimit) != 0)
        refused = "MYSQL_OPT_CONNECT_TIMEOUT";
    else if (mysql_options(&record, MYSQL_OPT_READ_TIMEOUT, &readWriteLimit) != 0)
        refused = "MYSQL_OPT_READ_TIMEOUT";
    else if (mysql_options(&record, MYSQL_OPT_WRITE_TIMEOUT, &readWriteLimit) != 0)
        refused = "MYSQL_OPT_WRITE_TIMEOUT";
    else if (mysql_options(&record, MYSQL_OPT_LOCAL_INFILE, &noLocalFiles) != 0)
        refused = "MYSQL_OPT_LOCAL_INFILE";
    if (refused) {
        refusedOptions = std::string("데이터베이스 클라이언트 라이브러리가 연결 설정 ") + refused +
                         "을(를) 받아들이지 않아 접속하지 않습니다.";
        return &record;
    }
    try {
        if (const char* tls = dbtls::RequireTls(&record))
            refusedOptions = std::string("데이터베이스 클라이언트 라이브러리가 암호화 설정 ") + tls +
                             "을(를) 받아들이지 않아 접속하지 않습니다.";
    } catch (const VbError& error) {
        refusedOptions = error.description();
    }
    return &record;
}

MYSQL* cMySQL::Impl::RecordForConnect() {
    // A connected record is closed first (the new values win over the old connection);
    // a failed one has lost its options inside the library.
    if (state != State::Fresh) Close();
    return Record();
}

void cMySQL::Impl::Close() {
    if (state == State::Closed) return;
    mysql_close(&record);
    state = State::Closed;
}

void cMySQL::Impl::RaiseLibraryError(const char* source) {
    const auto number = static_cast<std::int32_t>(mysql_errno(&record));
    std::string description = cstr_to_string(mysql_error(&record));
    throw VbError(number, source, std::move(description));
}

std::string cMySQL::Impl::Escape(const char* text, std::size_t length) {
    // mysql_real_escape_string reads the session's character set and the server's
    // NO_BACKSLASH_ESCAPES flag, which the server reports with every answer.
    std::string escaped(2 * length + 1, '\0');
    escaped.resize(mysql_real_escape_string(Record(), escaped.data(), text, static_cast<unsigned long>(length)));
    return escaped;
}

const char* mysqlclient::CString(const std::string& text, const char* source) {
    if (text.find('\0') != std::string::npos) throw VbError(kInvalidArgument, source, kInvalidArgumentText);
    return text.c_str();
}

// --- Construction and release -------------------------------------------------------

cMySQL::cMySQL(std::string serverName) : impl_(std::make_unique<Impl>()), serverName_(std::move(serverName)) {
    impl_->Record();
    NoErrMsg_ = false;
}

cMySQL::~cMySQL() = default;

// --- Connection ----------------------------------------------------------------------

bool cMySQL::real_connect(const std::string& host, const std::string& user, const std::string& passwd,
                          const std::string& db, std::int32_t port, const std::string& unix_socket,
                          std::int32_t clientflag, bool NoErrMsg) {
    static constexpr const char* kSource = "cMysql::real_connect";
    if (!host.empty()) host_ = host;
    if (!user.empty()) user_ = user;
    if (!passwd.empty()) password_ = passwd;
    if (!db.empty()) db_ = db;
    if (!unix_socket.empty()) unix_socket_ = unix_socket;
    if (port != 3306) port_ = port;
    if (clientflag != 0) ClientFlags_ = clientflag;
    NoErrMsg_ = NoErrMsg;
    try {
        using mysqlclient::CString;
        const char* hostZ = CString(host_, kSource);
        const char* userZ = CString(user_, kSource);
        const char* passwordZ = CString(password_, kSource);
        const char* dbZ = CString(db_, kSource);
        const char* socketZ = CString(unix_socket_, kSource);
        MYSQL* record = impl_->RecordForConnect();
        if (!impl_->refusedOptions.empty()) {
            impl_->state = Impl::State::Failed;
            throw VbError(kOptionsRefused, kSource, ServerName() + ": " + impl_->refusedOptions);
        }
        const auto started = std::chrono::steady_clock::now();
        // The port argument, not the property: the property only records unusual ports.
        if (mysql_real_connect(record, hostZ, userZ, passwordZ, dbZ, static_cast<unsigned int>(port), socketZ,
                               static_cast<unsigned long>(static_cast<std::uint32_t>(ClientFlags_)))) {
            impl_->state = Impl::State::Connected;
            if (!dbtls::Encrypted(record)) {
                impl_->Close();
                throw VbError(CR_SSL_CONNECTION_ERROR, kSource, dbtls::NotEncrypted(ServerName()));
            }
            impl_->origin = {mysql_thread_id(record), user_, mysqlclient::ServerStart(record)};
            return true;
        }
        impl_->state = Impl::State::Failed;
        const bool timedOut =
            std::chrono::steady_clock::now() - started >= std::chrono::seconds(kConnectTimeoutSeconds);
        const auto number = static_cast<std::int32_t>(mysql_errno(record));
        const std::string text = cstr_to_string(mysql_error(record));
        if (std::string refusal = dbtls::Refusal(ServerName(), text); !refusal.empty())
            throw VbError(number, kSource, std::move(refusal));
        throw VbError(number, kSource,
                      text + kCrLf + kCrLf + ConnectAdvice(ServerHostUnreachable(number, text), timedOut));
    } catch (const VbError& error) {
        if (!NoErrMsg_) MsgBox(ErrorConnectText(error), mb::kOkOnly);
        return false;
    }
}

std::string cMySQL::ServerName() const {
    return serverName_ + " " + host_;
}

std::int32_t cMySQL::err_no() const {
    return static_cast<std::int32_t>(mysql_errno(impl_->Record()));
}

std::string cMySQL::err_description() const {
    return cstr_to_string(mysql_error(impl_->Record()));
}

// --- Text reader ---------------------------------------------------------------------

std::string cMySQL::cstr_to_string(const char* text) {
    if (!text) return {};
    // Texts cross the library boundary as UTF-8 (the session speaks utf8mb4), so the
    // bytes are the string; only U+0020 is trimmed, which in UTF-8 is the byte 0x20.
    return TrimBlanks(std::string_view(text, std::strlen(text)));
}
