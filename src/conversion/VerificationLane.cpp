#include "conversion/VerificationLane.h"

#include "common/VbError.h"
#include "conversion/SourceSnapshot.h"
#include "datalayer/Connection.h"

std::unique_ptr<VerificationLane> VerificationLane::Open(
    ado::Connection& copySource, const std::vector<RunTable>& tables,
    const std::function<std::shared_ptr<ado::Connection>(CustomerIndex)>& open, std::vector<std::string>& outside) {
    std::shared_ptr<ado::Connection> locker, source, target;
    try {
        locker = open(kSourceCustomer);
        source = open(kSourceCustomer);
        target = open(kTargetCustomer);
        if (!locker || !source || !target) return nullptr;
        outside = BeginTwinSnapshots(*locker, copySource, *source, tables);
    } catch (const VbError&) {
        return nullptr;
    }
    locker->Close();
    return std::make_unique<VerificationLane>(source, target);
}

VerificationLane::~VerificationLane() {
    if (pending_.valid()) pending_.wait();
}

void VerificationLane::Start(const RunTable& table) {
    table_ = table;
    pending_ = std::async(std::launch::async, [this, name = table.name] { return verifier_.Verify(name); });
}
