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
// Opened over a connection on a table (adCmdTable) or an SQL text (adCmdText), or
// built in memory without a connection: Fields().Append, Open(), AddNew/Update.
//
// A table opened with a static cursor and optimistic lock can be changed: SetValue on
// the current record followed by Update writes the row back by the table's primary key;
// AddNew + Update inserts one row holding exactly the fields that were assigned, so the
// others take the table's defaults.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const std::string& source, const std::shared_ptr<Connection>& connection,
              int cursorType = adOpenUnspecified, int lockType = adLockUnspecified, int options = adCmdUnspecified);
    // Opens a recordset built in memory from the appended fields.
    void Open();
    int State() const;
    // Closes the recordset, dropping a record still being added or edited. Raises 3704
    // when it is already closed.
    void Close();

    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveNext();
    void AddNew();
    void Update();
    // Changes are written to the database by Update itself; UpdateBatch only completes a
    // record still being added or edited.
    void UpdateBatch(int affect = adAffectAll);
    // Drops the record being added or the changes to the current record.
    void CancelUpdate();

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
