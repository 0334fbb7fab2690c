#pragma once
#include <deque>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"
#include "conversion/verification/TableVerification.h"

// Compares each copied table with its source on connections of its own while the copy goes
// on with the next tables, so that the comparison costs the run little time. Its source
// connection must read the same snapshot as the copy's (see BeginSharedSnapshot). Shared
// by the copy lanes, which call it only under the run's lock; its comparisons run one
// after another on threads of their own, over its two connections alone.
class VerificationLane {
public:
    VerificationLane(std::shared_ptr<ado::Connection> source, std::shared_ptr<ado::Connection> target)
        : verifier_(std::move(source), std::move(target)) {}
    ~VerificationLane();
    VerificationLane(const VerificationLane&) = delete;
    VerificationLane& operator=(const VerificationLane&) = delete;

    // Queues a copied table, its target rows read from `targetTable` when one is given;
    // tables are compared one after the other, in this order.
    void Start(const RunTable& table, const std::string& targetTable = {});
    bool Busy() const { return !pending_.empty(); }
    // The oldest queued table has been compared.
    bool Ready() const;
    const RunTable& Table() const { return pending_.front().first; }
    // The oldest queued table's finding, waited for; raises what its comparison raised.
    TableCheck Collect();

private:
    TableVerifier verifier_;
    std::deque<std::pair<RunTable, std::shared_future<TableCheck>>> pending_;
};
