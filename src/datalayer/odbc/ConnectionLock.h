#pragma once
// Internal: a driver connection as the data layer's parts reach it, its handle with its
// one lock. The driver runs one exchange at a time on a connection, but the connection
// has three users in a copy: the caller's statements, the batch sender and the chunk
// prefetch. Each takes the lock for the whole of what must not be split: a statement, a
// batch with the statements around it, a chunk's query with the reading of its result.
// It is recursive, since a batch that falls back to single rows runs statements of its
// own while holding it.
//
// The lock belongs to the connection (ado::Connection makes it with itself and holds it
// while it sets the session up and while it disconnects); every part that runs a
// statement is handed the connection as a Dbc and so takes that same lock.
#include <sql.h>

#include <memory>
#include <mutex>

namespace ado::odbc {

using ConnectionMutex = std::recursive_mutex;
using ConnectionGuard = std::lock_guard<ConnectionMutex>;

struct Dbc {
    SQLHDBC handle = SQL_NULL_HDBC;
    std::shared_ptr<ConnectionMutex> lock;
};

}  // namespace ado::odbc
