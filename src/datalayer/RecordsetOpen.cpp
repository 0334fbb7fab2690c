#include "datalayer/AdoErrors.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "datalayer/RecordsetImpl.h"

namespace ado {

void Recordset::Open(const std::string&, const std::shared_ptr<Connection>& connection, int, int, int) {
    if (impl_->open) Raise(err::kObjectOpen, "ado.Recordset", err::kObjectOpenText);
    if (!connection || connection->State() != adStateOpen)
        Raise(err::kConnectionUnusable, "ado.Recordset", err::kConnectionUnusableText);
}

void Recordset::DetachFromConnection() {
    impl_->connection = nullptr;
    impl_->connectionRef.reset();
}

}  // namespace ado
