#pragma once
// For code that talks to MariaDB Connector/C itself (cMySQL, the load session, the test
// and demo tools): the TLS options of a session. Include only where <mysql.h> is found.
#include <mysql.h>

#include "common/DatabaseTls.h"

namespace dbtls {

// Asks for an encrypted session with the server's certificate checked against the
// built-in authority and the address connected to, and no fall-back to clear text.
// Returns the name of the first option the library refused (the session must not be
// used then), or nullptr when all were taken or the build goes in clear text. Raises a
// VbError when the authority cannot be made.
inline const char* RequireTls(MYSQL* session) {
    if (!Required()) return nullptr;
    const my_bool on = 1;
    if (mysql_options(session, MYSQL_OPT_SSL_CA, AuthorityFile().c_str()) != 0) return "MYSQL_OPT_SSL_CA";
    if (mysql_options(session, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on) != 0) return "MYSQL_OPT_SSL_VERIFY_SERVER_CERT";
    if (mysql_options(session, MYSQL_OPT_SSL_ENFORCE, &on) != 0) return "MYSQL_OPT_SSL_ENFORCE";
    return nullptr;
}

// Whether a connected session is as RequireTls asked: encrypted, or a clear-text build.
inline bool Encrypted(MYSQL* session) {
    return !Required() || mysql_get_ssl_cipher(session) != nullptr;
}

}  // namespace dbtls
