// Recordsets over a connection: opening on a table or an SQL text, and the results of
// Connection::Execute.
#include <sqlext.h>

#include <optional>

#include "datalayer/AdoErrors.h"
#include "datalayer/Connection.h"
#include "datalayer/ConnectionImpl.h"
#include "datalayer/Recordset.h"
#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/ChunkedRows.h"
#include "datalayer/odbc/Columns.h"
#include "datalayer/odbc/RowReader.h"
#include "datalayer/odbc/SqlText.h"
#include "datalayer/odbc/Statement.h"
#include "datalayer/odbc/TableKey.h"
#include "datalayer/odbc/TableWriter.h"

namespace ado {

namespace {}  // namespace

void Recordset::Open(const std::string& source, const std::shared_ptr<Connection>& connection, int cursorType,
                     int lockType, int options) {
    if (impl_->open) Raise(err::kObjectOpen, source::kRecordset, err::kObjectOpenText);
    if (!connection || connection->State() != adStateOpen)
        Raise(err::kConnectionUnusable, source::kRecordset, err::kConnectionUnusableText);

    const bool table = options != adCmdUnspecified && (options & 0xFF) == adCmdTable;
    const std::string sql = table ? "SELECT * FROM " + odbc::QuoteIdentifier(source) : source;
    // Only a table names the rows to write back to; a text query stays read-only.
    const bool updatable = table && lockType != adLockUnspecified && lockType != adLockReadOnly;
    // Keyset and dynamic cursors are served as static ones, as ADO does when a provider
    // cannot supply a combination.
    const bool forwardOnly = cursorType == adOpenUnspecified || cursorType == adOpenForwardOnly;
    const odbc::Dbc dbc = connection->impl().Dbc();

    // A forward-only table is read in key order a chunk at a time when it has a key to
    // order by: the driver would otherwise hold the whole table in memory.
    std::unique_ptr<odbc::ChunkedRows> chunks;
    std::optional<odbc::Statement> statement;
    if (forwardOnly && table) {
        const odbc::OrderingKey key = odbc::FindOrderingKey(dbc, source);
        if (!key.empty()) chunks = odbc::ChunkedRows::Open(dbc, source, key, updatable);
    }
    if (!chunks) {
        statement.emplace(dbc);
        statement->ExecDirect(sql);
        if (statement->ResultColumns() == 0) return;  // no rows to hold: the recordset stays closed
    }

    std::vector<odbc::Column> columns = chunks ? chunks->Columns() : odbc::DescribeResult(*statement, updatable);
    Impl& s = *impl_;
    fields_.Clear();
    for (const auto& c : columns) fields_.Add(c.name, c.adoType, c.definedSize, c.attributes);
    s.connected = true;
    s.updatable = updatable;
    s.forwardOnly = forwardOnly;
    s.batch = updatable && lockType == adLockBatchOptimistic;
    s.rows.clear();
    s.position = 0;
    s.rowsRead = 0;
    try {
        if (updatable) {
            std::vector<std::string> names;
            names.reserve(columns.size());
            for (const auto& c : columns) names.push_back(c.name);
            s.writer = std::make_unique<odbc::TableWriter>(dbc, source, std::move(names),
                                                           connection->BulkLoad() ? connection->impl().loads : nullptr);
        }
        if (chunks) {
            s.source = std::move(chunks);
        } else if (forwardOnly) {
            // A table without a key to order by is read in one SELECT, and the driver
            // holds all of it.
            s.source = std::make_unique<odbc::ForwardRows>(std::move(*statement), sql, std::move(columns));
        } else {
            // Static: every row is read now (the driver holds the whole result in memory
            // anyway) and the statement is done with.
            odbc::RowReader reader(*statement, columns);
            Row row;
            while (reader.Next(row)) s.rows.push_back(std::move(row));
        }
    } catch (...) {
        s.writer.reset();
        s.source.reset();
        s.rows.clear();
        fields_.Clear();
        s.connected = false;
        throw;
    }
    AttachToConnection(*connection, connection);
    if (forwardOnly) FetchFirst();
}

void Recordset::OpenResult(odbc::Statement&& statement, const std::string& sql, Connection& connection) {
    std::vector<odbc::Column> columns = odbc::DescribeResult(statement, false);
    Impl& s = *impl_;
    for (const auto& c : columns) fields_.Add(c.name, c.adoType, c.definedSize, c.attributes);
    s.connected = true;
    s.updatable = false;
    s.forwardOnly = true;
    s.source = std::make_unique<odbc::ForwardRows>(std::move(statement), sql, std::move(columns));
    AttachToConnection(connection, connection.weak_from_this().lock());
    FetchFirst();
}

void Recordset::FetchFirst() {
    try {
        FetchNext();
    } catch (...) {
        Release();
        throw;
    }
}

void Recordset::AttachToConnection(Connection& connection, std::shared_ptr<Connection> shared) {
    impl_->connection = &connection;
    impl_->connectionRef = std::move(shared);
    connection.impl().Attach(this);
    impl_->open = true;
}

void Recordset::DetachFromConnection() noexcept {
    if (impl_->connection) impl_->connection->impl().Detach(this);
    impl_->connection = nullptr;
    impl_->connectionRef.reset();
}

}  // namespace ado
