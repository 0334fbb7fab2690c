#include "conversion/verification/VerificationLane.h"

#include <chrono>

VerificationLane::~VerificationLane() {
    for (auto& [table, finding] : pending_) finding.wait();
}

void VerificationLane::Start(const RunTable& table, const std::string& targetTable) {
    // Each comparison waits for the one before: the lane's connections serve one at a time.
    std::shared_future<TableCheck> before =
        pending_.empty() ? std::shared_future<TableCheck>() : pending_.back().second;
    auto finding = std::async(std::launch::async, [this, before, name = table.name, targetTable] {
                       if (before.valid()) before.wait();
                       return verifier_.Verify(name, targetTable);
                   }).share();
    pending_.emplace_back(table, std::move(finding));
}

bool VerificationLane::Ready() const {
    return Busy() && pending_.front().second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

TableCheck VerificationLane::Collect() {
    const std::shared_future<TableCheck> finding = pending_.front().second;
    pending_.pop_front();
    return finding.get();
}
