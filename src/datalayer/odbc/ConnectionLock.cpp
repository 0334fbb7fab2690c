#include "datalayer/odbc/ConnectionLock.h"

#include <map>

namespace ado::odbc {

namespace {

struct Registry {
    std::mutex guard;
    std::map<SQLHDBC, std::shared_ptr<ConnectionMutex>> locks;
};

Registry& Locks() {
    static Registry registry;
    return registry;
}

}  // namespace

std::shared_ptr<ConnectionMutex> LockOf(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    const auto it = r.locks.find(dbc);
    return it != r.locks.end() ? it->second : std::make_shared<ConnectionMutex>();
}

void AdoptLock(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    r.locks[dbc] = std::make_shared<ConnectionMutex>();
}

void ForgetLock(SQLHDBC dbc) {
    Registry& r = Locks();
    std::lock_guard<std::mutex> hold(r.guard);
    r.locks.erase(dbc);
}

}  // namespace ado::odbc
