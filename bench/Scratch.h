#pragma once
// What the peers share: scratch databases to load into, their row counts, and the words
// of a shell command that logs in as the test server's administrator.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "testdata/Schema.h"

namespace ado {
class Connection;
}
namespace testsupport {
class IsolatedEnvironment;
}

namespace bench {

// Drops and creates `database` with the empty tables of `edition`.
void MakeScratch(const std::string& database, testdata::Edition edition, const std::vector<std::string>& tables);

// `tables`, or all 80 when it is empty.
std::vector<std::string> AllOr(const std::vector<std::string>& tables);

// The rows of `database`.`table` now.
std::int64_t Count(const std::string& database, const std::string& table);

// A single-quoted shell word.
std::string ShellWord(const std::string& text);

// An ODBC connection to `database` on the central server as its administrator, through the
// data source `dsn` (written afresh).
std::shared_ptr<ado::Connection> OpenAsAdministrator(const testsupport::IsolatedEnvironment& env,
                                                     const std::string& dsn, const std::string& database);

// " --host=... --user=root --password=..." for the central server (where every
// customer's database lives in the benchmark), as command-line options, with its TLS in
// the words of the server's own clients or, `parallelTools`, of mydumper and myloader
// (which know only --ssl and --ca).
std::string AdminLogin(bool parallelTools = false);

}  // namespace bench
