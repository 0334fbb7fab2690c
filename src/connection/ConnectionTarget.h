#pragma once
#include <cstdint>
#include <string>

namespace ado {
class Connection;
}

// Makes sure an opened customer connection reached what it was opened for: the named
// database, on the named server and port, over TCP. A data source can lead elsewhere (a
// key left in its section, a same-named user data source, a socket file that belongs to
// another server). Raises an error with a Korean description saying where it led when
// it did not; the connection is then closed. In a build that encrypts its connections
// the server must also say that the session is encrypted; if not, the error is numbered
// kNotEncrypted and its description names `serverName`.
void RequireIntendedServer(ado::Connection& connection, const std::string& dataSource, const std::string& database,
                           const std::string& host, int port, const std::string& serverName);

inline constexpr std::int32_t kNotEncrypted = 2026;
