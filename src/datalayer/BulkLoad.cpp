#include "datalayer/BulkLoad.h"

#include <atomic>

namespace ado {

namespace {

std::atomic<bool> byDefault = true;

}  // namespace

bool BulkLoadByDefault() {
    return byDefault.load();
}

void SetBulkLoadByDefault(bool allowed) {
    byDefault.store(allowed);
}

}  // namespace ado
