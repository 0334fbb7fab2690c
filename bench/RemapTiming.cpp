#include "bench/RemapTiming.h"

#include "bench/Machine.h"
#include "bench/Scratch.h"
#include "conversion/run/OrderDetailLinks.h"
#include "datalayer/Connection.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"

namespace bench {

RemapResult TimeRemap(const testsupport::IsolatedEnvironment& env, const Customers& customers) {
    using testsupport::AdminScalar;
    using testsupport::AdminSql;
    using testsupport::SqlIdent;
    const std::string scratch = "bench_remap";
    const std::string converted = SqlIdent(customers.TargetDb()) + ".ordbook_d";
    // The converted lines keep their old key in unit, and parentseq now names the parent's
    // new key: the parent's unit is the old key that parentseq held before the remap.
    AdminSql("DROP DATABASE IF EXISTS " + scratch + "; CREATE DATABASE " + scratch +
             " CHARACTER SET utf8mb4; CREATE TABLE " + scratch + ".ordbook_d LIKE " + converted + "; INSERT INTO " +
             scratch + ".ordbook_d SELECT * FROM " + converted + "; UPDATE " + scratch + ".ordbook_d c JOIN " +
             converted + " p ON p.seq = c.parentseq SET c.parentseq = p.unit");
    const auto connection = OpenAsAdministrator(env, "bench_remap", scratch);

    RemapResult result;
    result.lines = std::stoll(AdminScalar("SELECT COUNT(*) FROM ordbook_d", scratch));
    const Stopwatch watch;
    try {
        RemapParentLinks(connection);
    } catch (const std::exception& e) {
        result.note = e.what();
    }
    result.time = watch.Elapsed();
    result.sameLinks = AdminScalar("SELECT COUNT(*) FROM " + scratch + ".ordbook_d c JOIN " + converted +
                                   " t ON t.seq = c.seq WHERE c.parentseq <> t.parentseq") == "0";
    return result;
}

}  // namespace bench
