#include "bench/Rounds.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "bench/ConversionRun.h"
#include "bench/Peers.h"
#include "bench/RemapTiming.h"
#include "testdata/Database.h"

namespace bench {

double Spread::Median() const {
    if (values_.empty()) return 0;
    std::vector<double> sorted = values_;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

std::string Spread::Text() const {
    char text[96];
    if (values_.size() < 2) {
        std::snprintf(text, sizeof text, "%.2f", Median());
    } else {
        const auto [low, high] = std::minmax_element(values_.begin(), values_.end());
        std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f over %zu rounds)", Median(), *low, *high, values_.size());
    }
    return text;
}

ConversionResult ConvertAfresh(const Customers& customers, bool verify) {
    testdata::CreateSchema(AdminServer(), customers.TargetDb(), testdata::Edition::Velm);
    ConversionResult run = RunConversion(customers, {}, verify);
    if (!run.completed) throw std::runtime_error("conversion failed: " + run.lastMessage);
    return run;
}

void NearRound(int round, const testsupport::IsolatedEnvironment& env, const Customers& customers,
               std::int64_t sourceRows, const std::string& rowTable, std::int64_t rowSubset, NearFigures& figures) {
    // The verified run between two unverified ones, compared with their mean: neither
    // kind always meets the server just after the other's writes, and a drift of the
    // machine's speed within the round cancels out.
    const double before = ConvertAfresh(customers, false).time.wall;
    const ConversionResult run = ConvertAfresh(customers);
    const double after = ConvertAfresh(customers, false).time.wall;
    const double unverified = (before + after) / 2;
    figures.verifyOverhead.Add(run.time.wall / unverified - 1);
    const double ours = static_cast<double>(sourceRows) / run.time.wall;
    const double remap = TimeRemap(env, customers).SecondsPerHundredThousand();
    const PeerResult server = ServerSideCopy(customers, {});
    const PeerResult dump = DumpAndLoad(customers, {});
    const PeerResult parallel = ParallelDumpAndLoad(customers, {});
    const PeerResult row = RowAtATime(env, customers, rowTable, rowSubset);
    figures.ours.Add(run.time.wall);
    figures.remap100k.Add(remap);
    figures.server.Add(ours / server.RowsPerSecond());
    figures.dump.Add(ours / dump.RowsPerSecond());
    figures.parallel.Add(ours / parallel.RowsPerSecond());
    figures.row.Add(ours / row.RowsPerSecond());
    std::printf(
        "round %d: ours %.1f s (%.1f s unverified, before and after), remap %.2f s per 100k lines; peer time / ours: "
        "server copy %.2f, dump | load %.2f, parallel %.2f, row at a time %.1f\n",
        round, run.time.wall, unverified, remap, ours / server.RowsPerSecond(), ours / dump.RowsPerSecond(),
        ours / parallel.RowsPerSecond(), ours / row.RowsPerSecond());
    for (const PeerResult* peer : {&server, &dump, &parallel, &row})
        if (!peer->note.empty()) std::printf("  note: %s\n", peer->note.c_str());
    std::fflush(stdout);
}

}  // namespace bench
