#pragma once
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
// on with the next table, so that the comparison costs the run little time. Its source
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

    // Starts comparing a copied table; the one before must have been collected.
    void Start(const RunTable& table);
    bool Busy() const { return pending_.valid(); }
    const RunTable& Table() const { return table_; }
    // Waits for the comparison started last; raises what it raised.
    TableCheck Collect() { return pending_.get(); }

private:
    TableVerifier verifier_;
    RunTable table_;
    std::future<TableCheck> pending_;
};
