#pragma once
// Internal: the one lock of each data-layer connection. The driver runs one exchange at a
// time on a connection, but the connection has three users in a copy: the caller's
// statements, the batch sender and the chunk prefetch. Each takes this lock for the whole
// of what must not be split: a statement, a batch with the statements around it, a
// chunk's query with the reading of its result. It is recursive, since a batch that falls
// back to single rows runs statements of its own while holding it.
#include <sql.h>

#include <memory>
#include <mutex>

namespace ado::odbc {

using ConnectionMutex = std::recursive_mutex;
using ConnectionGuard = std::lock_guard<ConnectionMutex>;

// The lock of the connection `dbc`, made when the connection opens and forgotten when it
// closes. A handle without one (not a data-layer connection) gets a lock of its own.
std::shared_ptr<ConnectionMutex> LockOf(SQLHDBC dbc);
void AdoptLock(SQLHDBC dbc);
void ForgetLock(SQLHDBC dbc);

}  // namespace ado::odbc
