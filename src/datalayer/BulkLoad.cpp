#include "datalayer/BulkLoad.h"

#include <atomic>
#include <map>
#include <mutex>

namespace ado {

namespace {

std::atomic<bool> byDefault = true;

struct LoadedRows {
    std::mutex guard;
    std::map<std::string, std::size_t> byTable;
};

LoadedRows& Loaded() {
    static LoadedRows loaded;
    return loaded;
}

}  // namespace

bool BulkLoadByDefault() {
    return byDefault.load();
}

void SetBulkLoadByDefault(bool allowed) {
    byDefault.store(allowed);
}

std::size_t BulkLoadedRows(const std::string& table) {
    LoadedRows& l = Loaded();
    const std::lock_guard<std::mutex> hold(l.guard);
    const auto it = l.byTable.find(table);
    return it == l.byTable.end() ? 0 : it->second;
}

void CountBulkLoadedRows(const std::string& table, std::size_t rows) {
    LoadedRows& l = Loaded();
    const std::lock_guard<std::mutex> hold(l.guard);
    l.byTable[table] += rows;
}

}  // namespace ado
