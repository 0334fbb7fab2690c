#include "conversion/SourceSnapshot.h"

#include <set>

#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

std::vector<std::string> BeginSourceSnapshot(ado::Connection& source, const std::vector<RunTable>& tables) {
    std::set<std::string> transactional;
    {
        auto rows = source.Execute(
            "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND ENGINE = 'InnoDB'");
        for (; !rows->Eof(); rows->MoveNext()) transactional.insert(rows->GetFields().Item(0).GetValue().Text());
    }
    source.Execute("START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY");
    std::vector<std::string> outside;
    for (const RunTable& table : tables)
        if (!transactional.contains(table.name)) outside.push_back(table.name);
    return outside;
}
