#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "datalayer/AdoConstants.h"
#include "datalayer/Field.h"

namespace ado {

class Connection;
namespace odbc {
class Statement;
}

// A set of records with a current position, in the manner of an ADO recordset.
// Opened over a connection on a table (adCmdTable) or an SQL text (adCmdText; also
// adCmdUnspecified), or built in memory without a connection: Fields().Append, Open(),
// AddNew/Update.
//
// A table opened with a lock other than read-only can be changed: SetValue on the
// current record followed by Update (or a move) writes the assigned fields back to the
// row with the primary key it was read with; AddNew + Update inserts one row holding
// exactly the fields that were assigned, so the others take the table's defaults. A
// table without a primary key takes new rows but refuses to change existing ones
// (-2147467259 "Insufficient key column information for updating or refreshing.").
// Text queries are read-only.
//
// Batch mode (lock type adLockBatchOptimistic on a table): AddNew + Update queue the new
// row instead of writing it; the queue is sent many rows per statement when it is full and
// by UpdateBatch, with the outcome row-at-a-time writes would have: when the table refuses
// a row, the error raised is that row's own, the rows queued before it are in the table
// once, and it and the rows queued after it are not. Changing an existing row sends the
// queue first. Close raises 3219 while rows are queued; CancelBatch drops them.
//
// Errors: 3704 on a closed recordset, 3705 when opening an open one, 3709 for a closed
// connection, 3021 with no current record, 3251 when changing a read-only recordset;
// the driver's failures as OdbcError (-2147467259 with the driver's text).
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Cursor types: forward-only (0, and -1) holds one row at a time; static (3; keyset
    // and dynamic are served as static) reads every row at once and can move back.
    // A forward-only table is read in the order of its primary key (or of a unique key on
    // NOT NULL columns) a chunk of rows at a time, so memory stays flat however big the
    // table; a table without such a key is read in one SELECT, in the server's order, and
    // the driver holds all of it. A forward-only recordset does not keep the records added
    // to it. A statement that returns no rows leaves the recordset closed.
    void Open(const std::string& source, const std::shared_ptr<Connection>& connection,
              int cursorType = adOpenUnspecified, int lockType = adLockUnspecified, int options = adCmdUnspecified);
    // Opens a recordset built in memory from the appended fields.
    void Open();
    int State() const;
    // Closes the recordset, dropping a record still being added or edited. Raises 3704
    // when it is already closed, 3219 while rows queued in batch mode are unsent.
    void Close();

    bool Eof() const;
    bool Bof() const;
    // Raises 3021 on an empty recordset. A forward-only recordset past its first row
    // runs its query again.
    void MoveFirst();
    // Completes a pending edit first; raises 3021 at the end.
    void MoveNext();
    // Starts a new record, which becomes current; a pending one is completed first.
    void AddNew();
    // Writes the record being added or edited. When the write fails the record stays
    // pending (CancelUpdate drops it). In batch mode an added record is queued and is no
    // longer pending, even when sending the queue fails.
    void Update();
    // Completes a record still being added or edited, and sends the rows queued in batch
    // mode (outside it, Update has written every record already).
    void UpdateBatch(int affect = adAffectAll);
    // Drops the rows queued in batch mode and the record being added or edited.
    void CancelBatch(int affect = adAffectAll);
    // Drops the record being added or the changes to the current record.
    void CancelUpdate();
    // Batch mode: of the rows sent so far, those LOAD DATA stored (the others went as
    // array INSERTs, or one at a time); read before Close.
    std::size_t RowsLoaded() const;

    Fields& GetFields() { return fields_; }
    const Fields& GetFields() const { return fields_; }
    Field& operator[](int index) { return fields_.Item(index); }
    Field& operator[](const std::string& name) { return fields_.Item(name); }

    struct Impl;

private:
    friend class Field;
    friend class Fields;
    friend class Connection;
    const Value& CurrentValue(int index) const;
    Value TakeCurrentValue(int index);
    void Assign(int index, Value value);
    void RequireOpen() const;
    void FetchNext();
    void FetchFirst();
    // Closing without the closed-object check; never raises.
    void Release() noexcept;
    void OpenResult(odbc::Statement&& statement, const std::string& sql, Connection& connection);
    void AttachToConnection(Connection& connection, std::shared_ptr<Connection> shared);
    void DetachFromConnection() noexcept;

    Fields fields_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ado
