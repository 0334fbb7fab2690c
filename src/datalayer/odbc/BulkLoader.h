#pragma once
// Internal: loads rows into a transactional table with LOAD DATA LOCAL INFILE through the
// copy connection's load session (LoadSession), the rows streamed from memory.
//
// The server turns a refusal during LOAD DATA LOCAL into a warning (a value cut short, a
// duplicate skipped), so each load runs in a transaction of its own and is committed only
// when every row went in and the server gave no warning (notes only: what INSERTs of the
// same values note too); otherwise it is rolled back whole, and the caller sends the same
// rows another way that refuses exactly.
#include <sql.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/mariadb/LoadSession.h"
#include "datalayer/odbc/LoadPlan.h"

namespace ado::odbc {

class BulkLoader {
public:
    using Mask = std::vector<char>;

    // dbc: the copy connection, whose lock the caller holds for every Load. dataTypes: the
    // table's columns' DATA_TYPE by lower-case name.
    BulkLoader(const Dbc& dbc, std::shared_ptr<LoadSession> session, std::string table,
               std::vector<std::string> columns, std::map<std::string, std::string> dataTypes);

    // Loads the rows; `used` names the columns any row assigns, a column a row leaves
    // unassigned takes its default; `kinds` the kind of each column's values. True when
    // every row is in the table; false when none is (the load was refused, said
    // something, or does not suit these rows).
    bool Load(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used,
              const std::vector<ValueKind>& kinds);

private:
    Dbc dbc_;
    std::shared_ptr<LoadSession> session_;
    std::string table_;
    std::vector<std::string> columns_;
    std::map<std::string, std::string> dataTypes_;
    std::optional<bool> copyOutsideTransaction_;  // the copy connection at the first load
};

}  // namespace ado::odbc
