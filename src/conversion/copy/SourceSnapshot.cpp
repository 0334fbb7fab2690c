#include "conversion/copy/SourceSnapshot.h"

#include <map>

#include "conversion/verification/VerificationForms.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

constexpr const char* kStartSnapshot = "START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY";

// The source's tables and whether each is transactional (InnoDB).
std::map<std::string, bool> SourceTables(ado::Connection& source) {
    std::map<std::string, bool> tables;
    auto rows = source.Execute(
        "SELECT TABLE_NAME, ENGINE = 'InnoDB' FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()");
    for (; !rows->Eof(); rows->MoveNext())
        tables[rows->GetFields().Item(0).GetValue().Text()] = rows->GetFields().Item(1).GetValue().Text() == "1";
    return tables;
}

std::vector<std::string> Outside(const std::map<std::string, bool>& source, const std::vector<RunTable>& tables) {
    std::vector<std::string> outside;
    for (const RunTable& table : tables) {
        const auto found = source.find(table.name);
        if (found == source.end() || !found->second) outside.push_back(table.name);
    }
    return outside;
}

}  // namespace

std::vector<std::string> BeginSourceSnapshot(ado::Connection& source, const std::vector<RunTable>& tables) {
    const auto sourceTables = SourceTables(source);
    source.Execute(kStartSnapshot);
    return Outside(sourceTables, tables);
}

std::vector<std::string> BeginSharedSnapshot(ado::Connection& locker, const std::vector<ado::Connection*>& readers,
                                             const std::vector<RunTable>& tables) {
    const auto sourceTables = SourceTables(locker);
    std::string locks;
    for (const RunTable& table : tables)
        if (sourceTables.contains(table.name))
            locks += (locks.empty() ? "" : ", ") + SqlIdentifier(table.name) + " READ";
    locker.Execute("SET SESSION lock_wait_timeout = 10");
    // Read locks wait for every transaction writing to these tables and keep new ones out.
    if (!locks.empty()) locker.Execute("LOCK TABLES " + locks);
    for (ado::Connection* reader : readers) reader->Execute(kStartSnapshot);
    if (!locks.empty()) locker.Execute("UNLOCK TABLES");
    return Outside(sourceTables, tables);
}
