#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/BuiltInValues.h"

// The test run's MariaDB server (started by the `mariadb` CTest fixture), reached as its
// administrator straight through the client library, to prepare and inspect databases.
namespace testsupport {

inline constexpr const char* kCentralHost = builtin::kCentralDBHost;
inline constexpr const char* kCustomerHostA = "127.0.0.2";
inline constexpr const char* kCustomerHostB = "127.0.0.3";
inline constexpr const char* kRootPassword = builtin::kAdminPassword;
inline constexpr const char* kInhousePassword = builtin::kInhousePassword;
inline constexpr const char* kCustomerPassword = builtin::kCustomerPassword;
// The build's database authority as a file of its own ("" in a clear-text build), for
// clients in other processes; the program's own sessions read the built-in copy.
inline constexpr const char* kAuthorityFile = NUTV_DB_CA_FILE_PATH;

using Row = std::vector<std::optional<std::string>>;

// Runs statements (several allowed, separated by ';') as root; throws with the server's
// text on failure. `host` names a test's own server instead of the shared one.
void AdminSql(const std::string& sql, const std::string& database = {}, const std::string& host = kCentralHost);
// Runs one query as root and returns its rows as text (NULL as nullopt).
std::vector<Row> AdminQuery(const std::string& sql, const std::string& database = {},
                            const std::string& host = kCentralHost);
// The first column of the first row as text ("" for NULL or no row).
std::string AdminScalar(const std::string& sql, const std::string& database = {},
                        const std::string& host = kCentralHost);
// Quotes a text as a MySQL string literal / an identifier.
std::string SqlQuote(const std::string& text);
std::string SqlIdent(const std::string& name);

// One administrator session kept open, for what must outlast a statement (a transaction
// of another client, say). Closing it ends the session.
class AdminSession {
public:
    explicit AdminSession(const std::string& database = {});
    ~AdminSession();
    AdminSession(const AdminSession&) = delete;
    AdminSession& operator=(const AdminSession&) = delete;
    // Runs statements (several allowed) on this session; throws with the server's text.
    void Sql(const std::string& sql);

private:
    struct Record;
    std::unique_ptr<Record> record_;
};

// A name unique to the running test (letters, digits and '_'), for databases and IDs.
std::string UniqueName(const std::string& prefix);

// Creates (afresh) the database and the customer account `id` with the customer password.
void CreateCustomerDatabase(const std::string& id, const std::string& database, const std::string& host = kCentralHost);
// Registers a customer database on the central administration database.
void RegisterCustomer(const std::string& id, const std::string& database, const std::string& host);

}  // namespace testsupport
