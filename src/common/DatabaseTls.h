#pragma once
#include <string>

// The encryption of every database connection: the certificate authority built into the
// program, where the client library and the ODBC driver find it, and the user's words
// for a connection that TLS refused.
namespace dbtls {

// Whether this build encrypts its database connections (it carries an authority).
bool Required();

// The built-in authority as a file the client library and the driver can read: a sealed
// file in this process's memory ("/proc/self/fd/N"), made at the first call and checked
// to read back as built in. No other account can open it and nothing can change it.
// Raises a VbError when it cannot be made.
const std::string& AuthorityFile();

// What went wrong when a connection to `server` (its name for the user, e.g. "사내
// 데이터베이스 서버 127.0.0.1") failed in TLS, as the library or driver said in `text`;
// empty when the failure was not one of TLS.
std::string Refusal(const std::string& server, const std::string& text);

// The refusal of a connection that opened but is not encrypted.
std::string NotEncrypted(const std::string& server);

}  // namespace dbtls
