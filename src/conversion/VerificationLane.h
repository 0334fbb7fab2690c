#pragma once
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "conversion/RunEvents.h"
#include "conversion/TableVerification.h"

namespace ado {
class Connection;
}

// Compares each copied table with its source on connections of its own while the copy goes
// on with the next tables, so that the comparison costs the run little time. Its source
// connection reads the same snapshot as the copy's: both snapshots begin while a third
// connection holds read locks on the selected tables, so no commit to them falls between.
class VerificationLane {
public:
    // Opens the lane's connections through `open` (source: index 0, target: 1) and starts
    // the copy's snapshot and its own together. Returns nullptr, with no snapshot started,
    // when that cannot be done (an account without the right to lock tables, a table that a
    // transaction keeps busy, a table missing); the caller then compares on its own
    // connections. `outside` receives the selected tables the snapshot does not hold.
    static std::unique_ptr<VerificationLane> Open(
        ado::Connection& copySource, const std::vector<RunTable>& tables,
        const std::function<std::shared_ptr<ado::Connection>(CustomerIndex)>& open, std::vector<std::string>& outside);

    VerificationLane(std::shared_ptr<ado::Connection> source, std::shared_ptr<ado::Connection> target)
        : verifier_(std::move(source), std::move(target)) {}
    ~VerificationLane();
    VerificationLane(const VerificationLane&) = delete;
    VerificationLane& operator=(const VerificationLane&) = delete;

    // Queues a copied table; tables are compared one after the other, in this order.
    void Start(const RunTable& table);
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
