#include "bench/Peers.h"

#include <sys/wait.h>

#include <cstdlib>

#include "bench/Machine.h"
#include "bench/Scratch.h"
#include "conversion/copy/ColumnMapping.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"
#include "testdata/Schema.h"

namespace bench {

namespace {

using testsupport::AdminSql;
using testsupport::SqlIdent;

constexpr const char* kScratchVelm = "bench_peer_velm";
constexpr const char* kScratchTarn = "bench_peer_tarn";

}  // namespace

PeerResult ServerSideCopy(const Customers& customers, const std::vector<std::string>& tables) {
    const std::vector<std::string> names = AllOr(tables);
    MakeScratch(kScratchVelm, testdata::Edition::Velm, names);
    PeerResult result;
    for (const std::string& table : names) {
        std::string columns;
        const testdata::Table& velm = testdata::TableOf(testdata::Edition::Velm, table);
        for (const auto& column : testdata::ColumnsOf(testdata::Edition::Tarn, table))
            if (velm.Find(column.name)) columns += (columns.empty() ? "" : ", ") + SqlIdent(column.name);
        // Not strict: the server turns values the newer columns refuse (an empty text in a
        // DATE column) into something, where the conversion leaves them out.
        const Stopwatch watch;
        try {
            AdminSql("SET SESSION sql_mode = ''; INSERT INTO " + SqlIdent(kScratchVelm) + "." + SqlIdent(table) + " (" +
                     columns + ") SELECT " + columns + " FROM " + SqlIdent(customers.SourceDb()) + "." +
                     SqlIdent(table));
        } catch (const std::exception& e) {
            result.note += table + ": " + e.what() + "; ";
        }
        const Span spent = watch.Elapsed();
        result.time.wall += spent.wall;
        result.time.client += spent.client;
        result.time.server += spent.server;
        result.tableSeconds.emplace_back(table, spent.wall);
        result.rows += Count(kScratchVelm, table);
    }
    return result;
}

PeerResult DumpAndLoad(const Customers& customers, const std::vector<std::string>& tables) {
    const std::vector<std::string> names = AllOr(tables);
    MakeScratch(kScratchTarn, testdata::Edition::Tarn, names);
    const std::string login = " --no-defaults" + AdminLogin() + " --default-character-set=utf8mb4";
    std::string command = "set -o pipefail; mariadb-dump" + login + " --no-create-info --skip-triggers " +
                          ShellWord(customers.SourceDb());
    for (const std::string& table : names) command += " " + ShellWord(table);
    command += " | mariadb" + login + " " + ShellWord(kScratchTarn);
    PeerResult result;
    const Stopwatch watch;
    const int status = std::system(("bash -c " + ShellWord(command)).c_str());
    result.time = watch.Elapsed();
    if (status != 0) result.note = "dump | load exited with status " + std::to_string(WEXITSTATUS(status));
    for (const std::string& table : names) result.rows += Count(kScratchTarn, table);
    return result;
}

PeerResult RowAtATime(const testsupport::IsolatedEnvironment& env, const Customers& customers, const std::string& table,
                      std::int64_t rows) {
    MakeScratch(kScratchVelm, testdata::Edition::Velm, {table});
    env.WriteDataSource("bench_source", testsupport::kCustomerHostA, customers.SourceDb(), customers.sourceId);
    auto source = std::make_shared<ado::Connection>();
    source->Open("DSN=bench_source;PWD=" + std::string(testsupport::kCustomerPassword));
    const auto target = OpenAsAdministrator(env, "bench_scratch", kScratchVelm);

    PeerResult result;
    const Stopwatch watch;
    // The row-at-a-time design: the rows read whole, then one INSERT per row in
    // autocommit (an optimistic, not batch, table recordset writes each row on Update).
    auto from = source->Execute("SELECT * FROM " + SqlIdent(table) + " LIMIT " + std::to_string(rows));
    ado::Recordset to;
    to.Open(table, target, ado::adOpenStatic, ado::adLockOptimistic, ado::adCmdTable);
    const ColumnMapping mapping(*from, to, table);
    while (!from->Eof()) {
        to.AddNew();
        mapping.CopyRow(*from, to);
        to.Update();
        from->MoveNext();
        ++result.rows;
    }
    result.time = watch.Elapsed();
    return result;
}

}  // namespace bench
