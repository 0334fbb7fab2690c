#include "datalayer/Connection.h"

#include "datalayer/AdoErrors.h"
#include "datalayer/Recordset.h"

namespace ado {

// The ODBC connection arrives in the next step; until then opening reports that plainly.
struct Connection::Impl {};

Connection::Connection() : impl_(std::make_unique<Impl>()) {}
Connection::~Connection() = default;

void Connection::Open(const std::string&, const std::string&, const std::string&, int) {
    Raise(vberr::kProviderError, "ado.Connection", "ODBC connections are not available in this build yet.");
}

std::shared_ptr<Recordset> Connection::Execute(const std::string&, std::int64_t*, int) {
    Raise(err::kObjectClosed, "ado.Connection", err::kObjectClosedText);
}

int Connection::State() const {
    return adStateClosed;
}
void Connection::Close() {}

}  // namespace ado
