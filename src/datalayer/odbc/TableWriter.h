#pragma once
// Internal: writes the records of an updatable table recordset back to the table with
// prepared statements: an INSERT naming exactly the assigned columns, and an UPDATE of
// the assigned columns of the row whose primary key holds the values it was read with.
// In batch mode new rows are queued and inserted many per execute.
#include <sql.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/BatchInserter.h"
#include "datalayer/odbc/PacketLimit.h"
#include "datalayer/odbc/Statement.h"

namespace ado::odbc {

class TableWriter : public RowWriter {
public:
    // loads: the connection's load session when queued rows may go to a transactional
    // table with LOAD DATA, otherwise null.
    TableWriter(const Dbc& dbc, std::string table, std::vector<std::string> columns,
                std::shared_ptr<LoadSession> loads);

    // A row too big for the server's packet is refused with the table, the column and the
    // row's key before anything of it is sent.
    void Insert(const Row& values, const std::vector<char>& assigned) override;
    // Queued rows go in many per execute (see BatchInserter). A row too big for the
    // server's packet sends the rows queued before it, then is refused as by Insert.
    void Queue(Row values, std::vector<char> assigned) override;
    void Flush() override;
    void Drop() override;
    std::size_t Queued() const override { return batch_ ? batch_->Pending() : 0; }
    std::size_t LoadedRows() const override { return batch_ ? batch_->LoadedRows() : 0; }
    // Raises "Insufficient key column information..." for a table without a primary key
    // (or a row whose key is unknown), and -2147217864 when the row no longer exists.
    void Update(const Row& original, const Row& values, const std::vector<char>& assigned) override;

private:
    using Mask = std::vector<char>;
    const std::vector<std::size_t>& KeyColumns();
    template <typename BuildSql>
    Statement& Prepared(std::map<Mask, Statement>& cache, const Mask& mask, BuildSql buildSql);
    std::string KeyCondition();

    Dbc dbc_;
    std::string table_;
    std::string quotedTable_;
    std::vector<std::string> columns_;
    std::optional<std::vector<std::size_t>> keys_;  // looked up on the first UPDATE
    // Prepared statements by the set of assigned columns: a copy assigns the same
    // columns row after row, so each statement is prepared once.
    std::map<Mask, Statement> inserts_;
    std::map<Mask, Statement> updates_;
    std::optional<Statement> exists_;
    PacketLimit packet_;
    std::shared_ptr<LoadSession> loads_;
    std::optional<BatchInserter> batch_;
};

}  // namespace ado::odbc
