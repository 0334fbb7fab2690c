#include "datalayer/odbc/ConnectionLock.h"

#include <map>

namespace ado::odbc {

namespace {

struct Shared {
    ConnectionMutex lock;
    std::atomic<std::size_t> loadedRows = 0;
};

struct Registry {
    std::mutex guard;
    std::map<SQLHDBC, std::shared_ptr<Shared>> locks;
};

Registry& Locks() {
    static Registry registry;
    return registry;
}

std::shared_ptr<Shared> SharedOf(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    const auto it = r.locks.find(dbc);
    return it != r.locks.end() ? it->second : std::make_shared<Shared>();
}

}  // namespace

std::shared_ptr<ConnectionMutex> LockOf(SQLHDBC dbc) {
    auto shared = SharedOf(dbc);
    return {shared, &shared->lock};
}

std::shared_ptr<std::atomic<std::size_t>> LoadedRowsOf(SQLHDBC dbc) {
    auto shared = SharedOf(dbc);
    return {shared, &shared->loadedRows};
}

void AdoptLock(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    r.locks[dbc] = std::make_shared<Shared>();
}

void ForgetLock(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    r.locks.erase(dbc);
}

}  // namespace ado::odbc
