#pragma once
// Internal: loads rows into a transactional table with LOAD DATA LOCAL INFILE, streamed
// through a named pipe (RowPipe) on the connection's own session, so its strict mode,
// character set, timeouts and Abort hold as for every other statement.
//
// The server turns a refusal during LOAD DATA LOCAL into a warning (a value cut short, a
// duplicate skipped), so each load runs in a transaction of its own and is committed only
// when every row went in and the server gave no warning (notes only: what INSERTs of the
// same values note too); otherwise it is rolled back whole, and the caller sends the same
// rows another way that refuses exactly.
#include <sql.h>

#include <memory>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/RowPipe.h"

namespace ado::odbc {

class BulkLoader {
public:
    using Mask = std::vector<char>;

    BulkLoader(SQLHDBC dbc, std::string quotedTable, std::vector<std::string> columns);

    // Loads the rows; `used` names the columns any row assigns, a column a row leaves
    // unassigned takes its default. True when every row is in the table; false when none
    // is (the load was refused, said something, or could not run at all).
    bool Load(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used);

private:
    std::string LoadStatement(const std::vector<std::size_t>& direct, const std::vector<std::size_t>& chosen) const;
    // Runs the load inside the open transaction; true when it stored every row silently.
    bool LoadInTransaction(const std::vector<Row>& rows, const std::vector<Mask>& assigned, const Mask& used);
    // Whether the server said nothing about the load an INSERT would have been refused for.
    bool Silent();

    SQLHDBC dbc_;
    std::string quotedTable_;
    std::vector<std::string> columns_;
    std::unique_ptr<RowPipe> pipe_;
    bool unusable_ = false;        // no pipe could be made here
    bool conditionsKept_ = false;  // the session keeps every condition a load raises
};

}  // namespace ado::odbc
