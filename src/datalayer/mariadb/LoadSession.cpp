#include "datalayer/mariadb/LoadSession.h"

#include <errmsg.h>
#include <mysql.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <vector>

#include "common/ClientTls.h"
#include "common/VbError.h"
#include "datalayer/odbc/Query.h"

namespace ado::odbc {

namespace {

// Server refusals that any later load meets as well: local infile off (1148, 3948,
// 4166), a statement this server cannot parse or run (1064, 1083, 1149, 1235, 1305), a
// privilege the account lacks (1227).
bool RefusesEveryLoad(unsigned int error) {
    static constexpr unsigned int kRepeating[] = {1148, 3948, 4166, 1064, 1083, 1149, 1235, 1305, 1227};
    return std::find(std::begin(kRepeating), std::end(kRepeating), error) != std::end(kRepeating);
}

// The error numbers the client library gives itself (a lost or refused exchange).
bool ClientSide(unsigned int error) {
    return error >= CR_MIN_ERROR && error <= CR_MAX_ERROR;
}

// Longer names are shown cut.
constexpr std::size_t kShownName = 200;

}  // namespace

// One file request of the server, answered from the feed of the load under way.
struct LoadSession::FileRequest {
    const Feed* feed = nullptr;  // set while a load of ours runs
    std::string piece;
    std::size_t sent = 0;
    std::optional<std::string> otherName;  // the name asked for instead of ours
    std::exception_ptr failure;            // what the feed raised: the load's own error
};

LoadSession::LoadSession() : request_(std::make_unique<FileRequest>()) {}

LoadSession::~LoadSession() {
    Close();
}

void LoadSession::Prepare(std::optional<SocketPeer> server, std::string password, int connectSeconds,
                          int readWriteSeconds) {
    Close();
    server_ = std::move(server);
    password_ = std::move(password);
    connectSeconds_ = connectSeconds;
    readWriteSeconds_ = readWriteSeconds;
    const std::lock_guard hold(mutex_);
    refusal_ = server_ ? "" : "복사 연결이 닿은 서버 주소를 알 수 없습니다.";
}

void LoadSession::Close() noexcept {
    if (!record_) return;
    socket_.Forget();
    mysql_close(record_);
    record_ = nullptr;
    connected_ = false;
}

void LoadSession::Cut() {
    socket_.Cut();
}

std::string LoadSession::Refusal() const {
    const std::lock_guard hold(mutex_);
    return refusal_;
}

void LoadSession::End(const std::string& reason, bool withServerText) {
    std::string text = reason;
    if (withServerText && record_ && mysql_errno(record_) != 0)
        text += " (" + std::to_string(mysql_errno(record_)) + ": " + mysql_error(record_) + ")";
    const std::lock_guard hold(mutex_);
    if (refusal_.empty()) refusal_ = text;
}

std::string LoadSession::ServerName() const {
    return "대상 데이터베이스 서버 " + server_->address;
}

bool LoadSession::Ready(const Dbc& copy) {
    if (!Refusal().empty()) return false;
    if (connected_) return true;
    const bool connected = Connect(copy);
    if (!connected) {
        if (Refusal().empty()) End("LOAD DATA용 연결을 만들지 못했습니다.", true);
        Close();
    }
    return connected;
}

bool LoadSession::Connect(const Dbc& copy) {
    // Who the copy session is, and the settings that decide how values are stored.
    const QueryResult copySession =
        RunQuery(copy,
                 "SELECT SUBSTRING_INDEX(USER(), '@', 1), DATABASE(), CURRENT_USER(), @@SESSION.sql_mode, "
                 "@@SESSION.time_zone, @@SESSION.foreign_key_checks, @@SESSION.unique_checks");
    if (copySession.rows.size() != 1 || copySession.rows[0][1].IsNull()) return false;
    const Row& s = copySession.rows[0];
    const std::string user = s[0].Text(), database = s[1].Text(), account = s[2].Text(), mode = s[3].Text(),
                      zone = s[4].Text(), foreignKeys = s[5].Text(), uniqueChecks = s[6].Text();

    record_ = mysql_init(nullptr);
    if (!record_) return false;
    const unsigned int connectLimit = static_cast<unsigned int>(connectSeconds_);
    const unsigned int readWriteLimit = static_cast<unsigned int>(readWriteSeconds_);
    const unsigned int localInfile = 1;
    const char* refused = nullptr;
    if (mysql_options(record_, MYSQL_SET_CHARSET_NAME, "utf8mb4") != 0)
        refused = "MYSQL_SET_CHARSET_NAME";
    else if (connectLimit > 0 && mysql_options(record_, MYSQL_OPT_CONNECT_TIMEOUT, &connectLimit) != 0)
        refused = "MYSQL_OPT_CONNECT_TIMEOUT";
    else if (mysql_options(record_, MYSQL_OPT_READ_TIMEOUT, &readWriteLimit) != 0)
        refused = "MYSQL_OPT_READ_TIMEOUT";
    else if (mysql_options(record_, MYSQL_OPT_WRITE_TIMEOUT, &readWriteLimit) != 0)
        refused = "MYSQL_OPT_WRITE_TIMEOUT";
    else if (mysql_options(record_, MYSQL_OPT_LOCAL_INFILE, &localInfile) != 0)
        refused = "MYSQL_OPT_LOCAL_INFILE";
    try {
        if (!refused) refused = dbtls::RequireTls(record_);
    } catch (const VbError& error) {
        End(error.description(), false);
        return false;
    }
    if (refused) {
        End(std::string("클라이언트 라이브러리가 LOAD DATA용 연결의 설정 ") + refused + "을(를) 받아들이지 않았습니다.",
            false);
        return false;
    }
    mysql_set_local_infile_handler(record_, OpenFile, ReadFile, CloseFile, FileError, this);

    if (!socket_.BeginConnect()) {
        End("중지되었습니다.", false);
        return false;
    }
    const bool tcp = server_->tcp;
    if (!mysql_real_connect(record_, tcp ? server_->address.c_str() : "localhost", user.c_str(), password_.c_str(),
                            database.c_str(), tcp ? static_cast<unsigned int>(server_->port) : 0,
                            tcp ? nullptr : server_->address.c_str(), 0)) {
        socket_.Forget();
        if (std::string refusal = dbtls::Refusal(ServerName(), mysql_error(record_)); !refusal.empty())
            End(refusal, false);
        return false;
    }
    if (!dbtls::Encrypted(record_)) {
        socket_.Forget();
        End(dbtls::NotEncrypted(ServerName()), false);
        return false;
    }
    socket_.EndConnectWith(static_cast<int>(mysql_get_socket(record_)));
    const auto reached = socket_.Peer();
    if (!reached || reached->tcp != tcp || reached->address != server_->address || reached->port != server_->port) {
        End("LOAD DATA용 연결이 복사 연결과 다른 곳에 닿았습니다.", false);
        return false;
    }
    if (foreignKeys.find_first_not_of("01") != std::string::npos ||
        uniqueChecks.find_first_not_of("01") != std::string::npos)
        return false;
    // Every condition a load raises is kept, so that all of them can be seen. Without
    // autocommit each load opens its transaction itself, saving an exchange per load.
    if (mysql_query(record_, ("SET SESSION sql_mode = " + Quote(mode) + ", time_zone = " + Quote(zone) +
                              ", foreign_key_checks = " + foreignKeys + ", unique_checks = " + uniqueChecks +
                              ", max_error_count = 65535, autocommit = 0")
                                 .c_str()) != 0)
        return false;
    const auto session = FirstRow(
        "SELECT CONCAT_WS(',', @@character_set_client, @@character_set_connection, @@character_set_results), "
        "@@SESSION.sql_mode, DATABASE(), CURRENT_USER(), @@SESSION.autocommit, @@SESSION.time_zone");
    if (!session || (*session)[0] != "utf8mb4,utf8mb4,utf8mb4" || (*session)[1] != mode || (*session)[2] != database ||
        (*session)[3] != account || (*session)[4] != "0" || (*session)[5] != zone) {
        End("LOAD DATA용 연결의 설정이 복사 연결과 다릅니다.", false);
        return false;
    }
    connected_ = true;
    return true;
}

std::optional<std::vector<std::optional<std::string>>> LoadSession::FirstRow(const std::string& sql) {
    if (mysql_real_query(record_, sql.data(), sql.size()) != 0) return std::nullopt;
    MYSQL_RES* result = mysql_store_result(record_);
    if (!result) return std::nullopt;
    std::optional<std::vector<std::optional<std::string>>> first;
    if (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        first.emplace();
        for (unsigned int i = 0; i < mysql_num_fields(result); ++i)
            first->push_back(row[i] ? std::optional<std::string>(std::string(row[i], lengths[i])) : std::nullopt);
    }
    mysql_free_result(result);
    return first;
}

std::string LoadSession::Quote(const std::string& text) {
    // The library escapes by the session's rules (NO_BACKSLASH_ESCAPES included).
    std::string escaped(2 * text.size() + 1, '\0');
    escaped.resize(mysql_real_escape_string(record_, escaped.data(), text.data(), text.size()));
    return "'" + escaped + "'";
}

bool LoadSession::Run(const std::string& sql) {
    if (!connected_) return false;
    if (mysql_real_query(record_, sql.data(), sql.size()) == 0) return true;
    Refused();
    return false;
}

bool LoadSession::Load(const std::string& sql, const Feed& feed) {
    if (!connected_) return false;
    *request_ = FileRequest{};
    request_->feed = &feed;
    const bool ran = mysql_real_query(record_, sql.data(), sql.size()) == 0;
    request_->feed = nullptr;
    // The library heard only that the file could not be read; the session itself is fine.
    if (request_->failure) std::rethrow_exception(request_->failure);
    if (request_->otherName) {
        // Nothing was sent: the request was refused before a byte was read.
        std::string name = *request_->otherName;
        if (name.size() > kShownName) name = name.substr(0, kShownName) + "...";
        End("서버가 보낼 행 대신 다른 파일(" + name + ")을 요청했습니다. 요청을 거절했고 파일은 보내지 않았습니다.",
            false);
        return false;
    }
    if (ran) return true;
    Refused();
    return false;
}

void LoadSession::Refused() {
    const unsigned int error = mysql_errno(record_);
    if (RefusesEveryLoad(error))
        End("서버가 LOAD DATA를 거부했습니다.", true);
    else if (ClientSide(error))
        End("LOAD DATA용 연결이 끊겼습니다.", true);
}

std::uint64_t LoadSession::AffectedRows() {
    return connected_ ? mysql_affected_rows(record_) : 0;
}

bool LoadSession::OnlyNotes() {
    if (!connected_) return false;
    const unsigned int said = mysql_warning_count(record_);
    if (said == 0) return true;
    if (mysql_query(record_, "SHOW WARNINGS") != 0) return false;
    MYSQL_RES* result = mysql_store_result(record_);
    if (!result) return false;
    bool notes = mysql_num_rows(result) == said;
    while (MYSQL_ROW row = mysql_fetch_row(result))
        if (!row[0] || std::strcmp(row[0], "Note") != 0) notes = false;
    mysql_free_result(result);
    return notes;
}

int LoadSession::OpenFile(void** request, const char* name, void* self) {
    FileRequest& r = *static_cast<LoadSession*>(self)->request_;
    *request = &r;
    // Only the name our own statement gave, and only while it runs.
    if (r.feed && name && std::strcmp(name, kFileName) == 0) return 0;
    r.otherName = name ? name : "";
    return 1;
}

int LoadSession::ReadFile(void* request, char* buffer, unsigned int length) {
    FileRequest& r = *static_cast<FileRequest*>(request);
    if (!r.feed) return 0;
    // Nothing may leave a callback of the library but its return value.
    try {
        while (r.sent == r.piece.size()) {
            r.piece.clear();
            r.sent = 0;
            if (!(*r.feed)(r.piece)) return 0;
        }
    } catch (...) {
        r.failure = std::current_exception();  // raised again once the library returns
        return -1;
    }
    const std::size_t n = std::min<std::size_t>(length, r.piece.size() - r.sent);
    std::copy_n(r.piece.data() + r.sent, n, buffer);
    r.sent += n;
    return static_cast<int>(n);
}

void LoadSession::CloseFile(void* /*request*/) {}

int LoadSession::FileError(void* /*request*/, char* message, unsigned int length) {
    std::snprintf(message, length, "%s", "LOAD DATA LOCAL: file request refused");
    return CR_UNKNOWN_ERROR;
}

}  // namespace ado::odbc
