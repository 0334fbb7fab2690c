#include "conversion/run/RunStop.h"

#include "datalayer/Connection.h"

void RunStop::Begin() {
    std::lock_guard lock(mutex_);
    requested_ = false;
    connections_.clear();
}

void RunStop::Watch(const std::shared_ptr<ado::Connection>& connection) {
    std::lock_guard lock(mutex_);
    connections_.push_back(connection);
    if (requested_) connection->Abort();
}

void RunStop::Request() {
    std::lock_guard lock(mutex_);
    requested_ = true;
    for (const auto& watched : connections_)
        if (auto connection = watched.lock()) connection->Abort();
}
