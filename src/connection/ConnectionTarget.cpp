#include "connection/ConnectionTarget.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <array>
#include <memory>
#include <set>
#include <utility>

#include "common/DatabaseTls.h"
#include "common/VbError.h"
#include "datalayer/Connection.h"
#include "datalayer/Field.h"
#include "datalayer/Recordset.h"

namespace {

constexpr const char* kSource = "OpenMySQL";
// Mismatch's word for a session the server does not see encrypted.
constexpr const char* kClearText = "clear text";

// The numeric addresses a server name stands for (itself when it is one).
std::set<std::string> AddressesOf(const std::string& host) {
    std::set<std::string> addresses;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) return addresses;
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> release(found, ::freeaddrinfo);
    for (const addrinfo* a = found; a; a = a->ai_next) {
        std::array<char, NI_MAXHOST> text{};
        if (::getnameinfo(a->ai_addr, a->ai_addrlen, text.data(), text.size(), nullptr, 0, NI_NUMERICHOST) == 0)
            addresses.insert(text.data());
    }
    return addresses;
}

// The session's database and, as the server sees it, its cipher ("" when in clear text).
std::pair<std::string, std::string> DatabaseAndCipher(ado::Connection& connection) {
    auto rs = connection.Execute(
        "SELECT DATABASE(), (SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS "
        "WHERE VARIABLE_NAME = 'Ssl_cipher')");
    std::pair<std::string, std::string> found;
    if (!rs->Eof()) found = {rs->GetFields().Item(0).GetValue().Text(), rs->GetFields().Item(1).GetValue().Text()};
    rs->Close();
    return found;
}

// Why the connection is not the one meant, or "" when it is.
std::string Mismatch(ado::Connection& connection, const std::string& database, const std::string& host, int port) {
    const std::string wanted = host + ":" + std::to_string(port);
    const auto server = connection.Server();
    if (!server) return "연결이 어느 서버로 이어졌는지 확인할 수 없습니다(요청한 서버: " + wanted + ").";
    if (!server->tcp)
        return "연결이 요청한 서버 " + wanted + "가 아니라 이 컴퓨터의 소켓 파일 " + server->address +
               "(으)로 이어졌습니다.";
    if (server->port != port || !AddressesOf(host).count(server->address))
        return "연결이 요청한 서버 " + wanted + "가 아니라 " + server->address + ":" + std::to_string(server->port) +
               "(으)로 이어졌습니다.";
    const auto [reached, cipher] = DatabaseAndCipher(connection);
    if (dbtls::Required() && cipher.empty()) return kClearText;
    if (reached != database)
        return "연결된 데이터베이스 '" + reached + "'는 요청한 데이터베이스 '" + database + "'가 아닙니다.";
    return {};
}

}  // namespace

void RequireIntendedServer(ado::Connection& connection, const std::string& dataSource, const std::string& database,
                           const std::string& host, int port, const std::string& serverName) {
    const std::string why = Mismatch(connection, database, host, port);
    if (why.empty()) return;
    connection.Close();
    if (why == kClearText) throw VbError(kNotEncrypted, kSource, dbtls::NotEncrypted(serverName));
    throw VbError(vberr::kProviderError, kSource,
                  why + " 다른 고객의 자료를 바꿀 수 있어 이 연결은 쓰지 않습니다. ODBC 데이터 원본 " + dataSource +
                      "의 설정을 확인하세요.");
}
