#include "bench/StepCosts.h"

#include <memory>

#include "bench/Scratch.h"
#include "conversion/verification/TableVerification.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "testdata/Schema.h"

namespace bench {

namespace {

// Every row of every table, each value taken as the copy takes it.
void ReadEveryTable(const std::shared_ptr<ado::Connection>& source) {
    for (auto name : testdata::TableNames()) {
        ado::Recordset rows;
        rows.Open(std::string(name), source, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        ado::Fields& fields = rows.GetFields();
        for (; !rows.Eof(); rows.MoveNext())
            for (int i = 0; i < fields.Count(); ++i) fields.Item(i).TakeValue();
        rows.Close();
    }
}

}  // namespace

StepCosts MeasureSteps(const testsupport::IsolatedEnvironment& env, const Customers& customers) {
    StepCosts costs;
    try {
        const auto source = OpenAsAdministrator(env, "bench_steps_source", customers.SourceDb());
        const auto target = OpenAsAdministrator(env, "bench_steps_target", customers.TargetDb());
        const Stopwatch reading;
        ReadEveryTable(source);
        costs.read = reading.Elapsed();
        const Stopwatch comparing;
        const TableVerifier verifier(source, target);
        for (auto name : testdata::TableNames())
            if (!verifier.Verify(std::string(name)).match) costs.note = std::string(name) + " differs from its source";
        costs.verify = comparing.Elapsed();
    } catch (const std::exception& e) {
        costs.note = e.what();
    }
    return costs;
}

}  // namespace bench
