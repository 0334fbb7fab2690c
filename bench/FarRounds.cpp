// Far from the servers: every connection of ours and of the peer through a relay that
// holds each byte a while in each direction, as between an office and a data centre.
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "bench/ConversionRun.h"
#include "bench/Machine.h"
#include "bench/Peers.h"
#include "bench/RemapTiming.h"
#include "bench/Rounds.h"
#include "bench/Scratch.h"
#include "support/Relay.h"
#include "support/TestServer.h"
#include "testdata/Database.h"

namespace bench {

FarFigures FarRounds(int rounds, double delaySeconds, const testsupport::IsolatedEnvironment& env,
                     const Customers& customers, std::int64_t sourceRows) {
    FarFigures figures;
    std::unique_ptr<testsupport::Relay> relay;
    try {
        // The central server and both customers' servers: each address the program reaches.
        relay = std::make_unique<testsupport::Relay>(
            std::vector<std::string>{testsupport::kCentralHost, testsupport::kCustomerHostA,
                                     testsupport::kCustomerHostB},
            3306, delaySeconds);
    } catch (const std::exception& e) {
        figures.skipped = e.what();
        return figures;
    }
    {
        // What one statement costs through the relay: at least twice the delay.
        const testsupport::FarSide far(*relay);
        testsupport::AdminSession session;
        const Stopwatch watch;
        for (int i = 0; i < 10; ++i) session.Sql("DO 1");
        std::printf("one statement through the relay: %.1f ms\n", watch.Elapsed().wall * 100);
    }
    for (int round = 1; round <= rounds; ++round) {
        // Emptying the target is set up near the servers; everything measured goes far.
        testdata::CreateSchema(AdminServer(), customers.TargetDb(), testdata::Edition::Velm);
        const std::int64_t before = relay->BytesRelayed();
        ConversionResult run;
        RemapResult remap;
        PeerResult dump;
        {
            const testsupport::FarSide far(*relay);
            run = RunConversion(customers, {});
            if (!run.completed) throw std::runtime_error("conversion far from the servers failed: " + run.lastMessage);
            remap = TimeRemap(env, customers);
            dump = DumpAndLoad(customers, {});
        }
        const double relayedMb = static_cast<double>(relay->BytesRelayed() - before) / (1 << 20);
        // Every byte went through the relay: the rows arrived whole, as near the servers.
        const bool sameRows =
            RowCounts(customers.SourceDb(), AllOr({})) == RowCounts(customers.TargetDb(), AllOr({})) &&
            dump.rows == sourceRows && remap.sameLinks;
        figures.rowsDiffer = figures.rowsDiffer || !sameRows;
        const double remap100k = remap.SecondsPerHundredThousand();
        const double ours = static_cast<double>(sourceRows) / run.time.wall;
        figures.ours.Add(run.time.wall);
        figures.dump.Add(ours / dump.RowsPerSecond());
        figures.remap100k.Add(remap100k);
        std::printf(
            "far round %d: ours %.1f s (CPU s: client %.1f, server %.1f), remap %.2f s per 100k lines, dump | load "
            "%.1f s (CPU s: client %.1f, server %.1f) -> %.2f; %.0f MB through the relay, %s\n",
            round, run.time.wall, run.time.client, run.time.server, remap100k, dump.time.wall, dump.time.client,
            dump.time.server, ours / dump.RowsPerSecond(), relayedMb,
            sameRows ? "rows and links as in the source" : "ROWS OR LINKS DIFFER from the source");
        std::printf("  ours at peak %.1f MB resident; slowest tables: %s\n", static_cast<double>(run.peakKiB) / 1024,
                    SlowestTables(run, 4).c_str());
        if (!dump.note.empty()) std::printf("  note: %s\n", dump.note.c_str());
        std::fflush(stdout);
    }
    std::printf("relay: %lld connections, %.0f MB in all\n", static_cast<long long>(relay->Connections()),
                static_cast<double>(relay->BytesRelayed()) / (1 << 20));
    return figures;
}

}  // namespace bench
