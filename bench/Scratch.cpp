#include "bench/Scratch.h"

#include "bench/Customers.h"
#include "datalayer/Connection.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"

namespace bench {

using testsupport::AdminSql;
using testsupport::SqlIdent;

void MakeScratch(const std::string& database, testdata::Edition edition, const std::vector<std::string>& tables) {
    AdminSql("DROP DATABASE IF EXISTS " + SqlIdent(database) + "; CREATE DATABASE " + SqlIdent(database) +
             " CHARACTER SET utf8mb4");
    testdata::CreateSchema(AdminServer(), database, edition, tables);
}

std::vector<std::string> AllOr(const std::vector<std::string>& tables) {
    if (!tables.empty()) return tables;
    std::vector<std::string> all;
    for (auto name : testdata::TableNames()) all.emplace_back(name);
    return all;
}

std::int64_t Count(const std::string& database, const std::string& table) {
    return std::stoll(testsupport::AdminScalar("SELECT COUNT(*) FROM " + SqlIdent(table), database));
}

std::string ShellWord(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::shared_ptr<ado::Connection> OpenAsAdministrator(const testsupport::IsolatedEnvironment& env,
                                                     const std::string& dsn, const std::string& database) {
    env.WriteDataSource(dsn, testsupport::kCentralHost, database, "root");
    auto connection = std::make_shared<ado::Connection>();
    connection->Open("DSN=" + dsn + ";PWD=" + std::string(testsupport::kRootPassword));
    return connection;
}

std::string AdminLogin(bool parallelTools) {
    const std::string authority = ShellWord(testsupport::kAuthorityFile);
    return std::string(" --host=") + testsupport::kCentralHost +
           " --user=root --password=" + ShellWord(testsupport::kRootPassword) +
           (!*testsupport::kAuthorityFile ? std::string()
            : parallelTools               ? " --ssl --ca=" + authority
                                          : " --ssl-verify-server-cert --ssl-ca=" + authority);
}

}  // namespace bench
