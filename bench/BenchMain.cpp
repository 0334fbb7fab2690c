// nutv-bench: how fast and how lean a conversion run is, against its peers on the same rows
// and the same server. Needs the test server of scripts/mariadb-server (scripts/bench
// starts one). Ends with one line: RESULT server_copy_ratio=... dump_ratio=... ...
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/ConversionRun.h"
#include "bench/Customers.h"
#include "bench/Machine.h"
#include "bench/Peers.h"
#include "bench/RemapTiming.h"
#include "bench/Rounds.h"
#include "bench/StepCosts.h"
#include "support/TestEnvironment.h"
#include "support/TestServer.h"
#include "testdata/Database.h"
#include "testdata/Generator.h"
#include "testdata/Schema.h"

namespace {

struct Options {
    double scale = 1000;              // testdata's size factor of the full customer
    std::int64_t rowSubset = 100000;  // rows of the row-at-a-time peer
    std::int64_t flatRows = 1000000;  // rows of the one-table memory run
    std::string flatTable = "sale";   // and its table
    bool full = true, flat = true;
    bool estimate = false;  // only the full customer's conversion and the time left it showed
    bool detail = false;    // every table's time, not only the slowest
    int rounds = 3;         // ours and the peers measured alternately this often
    double farMs = 5;       // each direction's delay far from the servers
    bool far = true;
    bool farOnly = false;  // the customer generated, then only the far rounds
};

void Usage() {
    std::fputs(
        "usage: nutv-bench [--scale F] [--row-subset N] [--flat-rows N] [--only full|flat|estimate] [--flat-table T]\n"
        "                  [--server-pid PID] [--detail] [--rounds R] [--far-ms D] [--near-only | --far-only]\n"
        "  full: a customer generated at size factor F (1000: about 1.8M rows) converted whole,\n"
        "        and the peers on the same rows, R rounds near the servers and R far from them\n"
        "        (every connection held D ms each way); flat: one table of N rows, memory along the way;\n"
        "  estimate: the customer converted once, the time left shown beside the real remaining time\n",
        stderr);
}

double Mb(std::int64_t kib) {
    return static_cast<double>(kib) / 1024.0;
}

double Ratio(double ours, double peer) {
    return peer > 0 ? ours / peer : 0;
}

std::vector<std::string> AllTables() {
    std::vector<std::string> all;
    for (auto name : testdata::TableNames()) all.emplace_back(name);
    return all;
}

// The source and target row counts of every table, and whether they agree.
bool SameRowCounts(const bench::Customers& customers, const std::vector<std::string>& tables) {
    const auto source = bench::RowCounts(customers.SourceDb(), tables);
    const auto target = bench::RowCounts(customers.TargetDb(), tables);
    bool same = true;
    for (std::size_t i = 0; i < source.size(); ++i)
        if (source[i].second != target[i].second) {
            std::printf("  MISMATCH %s: source %lld rows, target %lld\n", source[i].first.c_str(),
                        static_cast<long long>(source[i].second), static_cast<long long>(target[i].second));
            same = false;
        }
    return same;
}

void PrintTimes(const char* what, std::int64_t rows, const bench::Span& time) {
    std::printf("%-33s %9lld rows %7.1f s %9.0f rows/s  (CPU s: client %.1f, server %.1f)\n", what,
                static_cast<long long>(rows), time.wall, time.wall > 0 ? static_cast<double>(rows) / time.wall : 0,
                time.client, time.server);
}

void PrintPeer(const char* what, const bench::PeerResult& peer, double ours, const std::string& more = "") {
    PrintTimes(what, peer.rows, peer.time);
    std::printf("%-33s ours/peer %.2f%s\n", "", Ratio(ours, peer.RowsPerSecond()), more.c_str());
    if (!peer.note.empty()) std::printf("  note: %s\n", peer.note.c_str());
}

// Where the CPU goes, per 100k rows: on a machine with few cores the client's seconds and
// the server's compete for the same cores, so both count, wherever they are spent.
struct CpuLine {
    std::string what;
    std::int64_t rows = 0;
    bench::Span time;
};

void PrintCpuTable(const std::vector<CpuLine>& lines) {
    std::printf("\n%-33s %8s %8s %8s %8s   (CPU seconds per 100k rows)\n", "", "client", "server", "both", "wall");
    for (const CpuLine& line : lines) {
        const bench::Span per = line.time.PerHundredThousand(line.rows);
        std::printf("%-33s %8.2f %8.2f %8.2f %8.2f\n", line.what.c_str(), per.client, per.server,
                    per.client + per.server, per.wall);
    }
}

// The server's version and what its commits cost: the row-at-a-time peer commits once
// per row, so whether a commit waits for the disk decides its speed.
std::string ServerDescription() {
    using testsupport::AdminScalar;
    const std::string flush = AdminScalar("SELECT @@innodb_flush_log_at_trx_commit");
    const std::string datadir = AdminScalar("SELECT @@datadir");
    std::string where = "data on disk";
    char resolved[4096];
    if (realpath(datadir.c_str(), resolved) && std::string(resolved).rfind("/dev/shm/", 0) == 0)
        where = "data in memory (tmpfs)";
    return "MariaDB " + AdminScalar("SELECT VERSION()") + ", " + where + ", innodb_flush_log_at_trx_commit=" + flush +
           (flush == "1" ? " (every commit synced to disk, as by default)" : " (commits not synced)");
}

// Every table: its rows, and the seconds of the conversion and of the server's own copy.
void PrintTables(const bench::ConversionResult& run, const bench::PeerResult& server,
                 const std::vector<std::pair<std::string, std::int64_t>>& rowsPerTable) {
    std::printf("  %-20s %8s %9s %9s %6s %-9s (ours: the first table with locating, checks, zero-date repair)\n",
                "table", "rows", "ours s", "server s", "ratio", "path");
    for (const auto& [table, seconds] : run.tableSeconds) {
        std::int64_t rows = -1;  // stays -1 for a log line that is not a table's
        double serverSeconds = 0;
        for (const auto& [name, count] : rowsPerTable)
            if (name == table) rows = count;
        if (rows < 0) continue;
        for (const auto& [name, spent] : server.tableSeconds)
            if (name == table) serverSeconds = spent;
        // The way its rows went: all by LOAD DATA, none (arrays), or some of each.
        std::int64_t loaded = 0;
        for (const auto& [name, count] : run.loadedRows)
            if (name == table) loaded = count;
        const char* path = rows == 0 ? "-" : loaded == rows ? "LOAD DATA" : loaded == 0 ? "arrays" : "mixed";
        std::printf("  %-20s %8lld %9.3f %9.3f %6.2f %-9s\n", table.c_str(), static_cast<long long>(rows), seconds,
                    serverSeconds, seconds > 0 ? serverSeconds / seconds : 0, path);
    }
}

// The time left the status line showed along the run beside the time that really remained.
void PrintTimeLeft(const bench::ConversionResult& run) {
    std::printf("time left on the status line against the real remaining time:\n");
    for (const bench::TimeLeftCheck& check : run.timeLeft) {
        std::printf("  at %3.0f%% of the run (%5.1f s in): real %5.1f s, shown ", check.fraction * 100, check.at,
                    check.real);
        if (check.shown < 0)
            std::printf("(no estimate yet)\n");
        else
            std::printf("%5.1f s (%+.0f%%)\n", check.shown, (check.shown / check.real - 1) * 100);
    }
    std::fflush(stdout);
}

// The customer converted once, and what the status line said of the time left along the way.
int EstimateOnly(const Options& options) {
    const bench::Customers customers;
    std::printf("\n== time left: all %zu tables, size factor %g\n", AllTables().size(), options.scale);
    const auto generated = bench::MakeCustomers(customers, options.scale, {});
    std::printf("generated %lld rows in %.0f s\nload average before the run: %s\n",
                static_cast<long long>(generated.rows), generated.seconds, bench::LoadAverage().c_str());
    std::fflush(stdout);
    const bench::ConversionResult run = bench::RunConversion(customers, {}, true, options.detail);
    if (!run.completed) {
        std::printf("conversion failed: %s\n", run.lastMessage.c_str());
        return 1;
    }
    PrintTimes("conversion run (ours)", generated.rows, run.time);
    PrintTimeLeft(run);
    std::printf("load average at the end: %s\n", bench::LoadAverage().c_str());
    return SameRowCounts(customers, AllTables()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--scale" && hasValue)
            options.scale = std::atof(argv[++i]);
        else if (arg == "--row-subset" && hasValue)
            options.rowSubset = std::atoll(argv[++i]);
        else if (arg == "--flat-rows" && hasValue)
            options.flatRows = std::atoll(argv[++i]);
        else if (arg == "--server-pid" && hasValue)
            bench::Stopwatch::SetServerPid(std::atoi(argv[++i]));
        else if (arg == "--flat-table" && hasValue)
            options.flatTable = argv[++i];
        else if (arg == "--detail")
            options.detail = true;
        else if (arg == "--rounds" && hasValue)
            options.rounds = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--far-ms" && hasValue)
            options.farMs = std::atof(argv[++i]);
        else if (arg == "--near-only")
            options.far = false;
        else if (arg == "--far-only")
            options.farOnly = true;
        else if (arg == "--only" && hasValue) {
            const std::string only = argv[++i];
            options.full = only == "full";
            options.flat = only == "flat";
            options.estimate = only == "estimate";
        } else {
            Usage();
            return 2;
        }
    }
    // The program's ODBC data sources and settings go to a folder of this run's own.
    testsupport::IsolatedEnvironment env;
    std::printf("machine: %s\n", bench::MachineDescription().c_str());
    std::printf("server:  %s\n", ServerDescription().c_str());
    std::printf("load average at the start: %s (1, 5, 15 min)\n", bench::LoadAverage().c_str());
    std::fflush(stdout);
    if (options.estimate) {
        try {
            return EstimateOnly(options);
        } catch (const std::exception& e) {
            std::printf("benchmark failed: %s\n", e.what());
            return 1;
        }
    }

    double serverRatio = 0, dumpRatio = 0, rowRatio = 0, remap100k = 0, verifyOverhead = 0;
    bench::NearFigures near;
    bench::FarFigures far;
    std::int64_t peakKiB = 0;
    std::int64_t fullRows = 0;  // the full customer's rows, once generated
    int status = 0;
    try {
        const bench::Customers customers;
        testdata::PopulateResult generated;
        std::pair<std::string, std::int64_t> biggest{"", 0};
        if (options.full) {
            std::printf("\n== full conversion: all %zu tables, size factor %g\n", AllTables().size(), options.scale);
            generated = bench::MakeCustomers(customers, options.scale, {});
            std::int64_t lines = 0;
            for (const auto& [table, rows] : generated.rowsPerTable) {
                if (rows > biggest.second) biggest = {table, rows};
                if (table == "ordbook_d") lines = rows;
            }
            std::printf("generated %lld rows in %.0f s (biggest %s %lld rows, ordbook_d %lld lines)\n",
                        static_cast<long long>(generated.rows), generated.seconds, biggest.first.c_str(),
                        static_cast<long long>(biggest.second), static_cast<long long>(lines));
            std::fflush(stdout);
            fullRows = generated.rows;
        }
        if (options.full && !options.farOnly) {
            const bench::ConversionResult run = bench::RunConversion(customers, {});
            if (!run.completed) {
                std::printf("conversion failed: %s\n", run.lastMessage.c_str());
                return 1;
            }
            const double ours = static_cast<double>(generated.rows) / run.time.wall;
            PrintTimes("conversion run (ours)", generated.rows, run.time);
            PrintTimeLeft(run);
            std::printf("%-33s peak resident memory %.1f MB%s\n", "", Mb(run.peakKiB),
                        run.peakOfRunOnly ? "" : " (of the whole process)");
            peakKiB = std::max(peakKiB, run.peakKiB);
            std::printf("%-33s slowest tables: %s\n", "", bench::SlowestTables(run, 6).c_str());
            if (!SameRowCounts(customers, AllTables())) status = 1;
            // The same run without comparing the tables, into empty tables again: what the
            // comparison adds.
            const bench::ConversionResult unverified = bench::ConvertAfresh(customers, false);
            near.verifyOverhead.Add(run.time.wall / unverified.time.wall - 1);
            std::printf(
                "%-33s copy alone %.1f s, peak %.1f MB; verification %.1f s beside the copy, adding %.1f s (%.1f%%)\n",
                "", unverified.time.wall, Mb(unverified.peakKiB), run.verifySeconds,
                run.time.wall - unverified.time.wall, (run.time.wall / unverified.time.wall - 1) * 100);
            std::fflush(stdout);

            // Where our CPU seconds go: two of the copy's steps on their own.
            const bench::StepCosts steps = bench::MeasureSteps(env, customers);
            PrintTimes("  reading the source alone", generated.rows, steps.read);
            PrintTimes("  comparing the tables alone", generated.rows, steps.verify);
            if (!steps.note.empty()) std::printf("  note: %s\n", steps.note.c_str());
            std::fflush(stdout);

            const bench::RemapResult remap = bench::TimeRemap(env, customers);
            remap100k = remap.SecondsPerHundredThousand();
            std::printf("%-33s %9lld lines %6.2f s (%.2f s per 100k lines)%s%s\n", "ordbook_d remap",
                        static_cast<long long>(remap.lines), remap.time.wall, remap100k,
                        remap.sameLinks ? ", same links as the run" : ", LINKS DIFFER from the run",
                        remap.note.empty() ? "" : (" - " + remap.note).c_str());
            if (!remap.sameLinks) status = 1;
            std::fflush(stdout);

            const bench::PeerResult server = bench::ServerSideCopy(customers, {});
            PrintPeer("server-side INSERT ... SELECT", server, ours);
            serverRatio = Ratio(ours, server.RowsPerSecond());
            if (options.detail) PrintTables(run, server, generated.rowsPerTable);
            std::fflush(stdout);
            const bench::PeerResult dump = bench::DumpAndLoad(customers, {});
            PrintPeer("mariadb-dump | mariadb", dump, ours);
            dumpRatio = Ratio(ours, dump.RowsPerSecond());
            std::fflush(stdout);
            const bench::PeerResult parallel = bench::ParallelDumpAndLoad(customers, {});
            PrintPeer("mydumper | myloader (parallel)", parallel, ours, " (" + parallel.steps + ")");
            std::fflush(stdout);
            const bench::PeerResult rowwise = bench::RowAtATime(env, customers, biggest.first, options.rowSubset);
            const std::string scaled =
                " (" + std::to_string(rowwise.rows) + " rows of " + biggest.first + ", scaled: " +
                std::to_string(static_cast<long long>(
                    std::llround(static_cast<double>(generated.rows) / rowwise.RowsPerSecond()))) +
                " s for the customer)";
            PrintPeer("row at a time (ODBC, autocommit)", rowwise, ours, scaled);
            rowRatio = Ratio(ours, rowwise.RowsPerSecond());
            PrintCpuTable({{"conversion run (ours)", generated.rows, run.time},
                           {"  copy alone (no comparison)", generated.rows, unverified.time},
                           {"  reading the source alone", generated.rows, steps.read},
                           {"  comparing the tables alone", generated.rows, steps.verify},
                           {"server-side INSERT ... SELECT", server.rows, server.time},
                           {"mariadb-dump | mariadb", dump.rows, dump.time},
                           {"mydumper | myloader (parallel)", parallel.rows, parallel.time},
                           {"row at a time (ODBC, autocommit)", rowwise.rows, rowwise.time}});
            std::fflush(stdout);

            // Round 1 above in detail; the further rounds and the far ones a line each.
            near.server.Add(serverRatio);
            near.dump.Add(dumpRatio);
            near.parallel.Add(Ratio(ours, parallel.RowsPerSecond()));
            near.row.Add(rowRatio);
            near.remap100k.Add(remap100k);
            near.ours.Add(run.time.wall);
            if (options.rounds > 1) std::printf("\n== rounds near the servers (round 1 above)\n");
            for (int round = 2; round <= options.rounds; ++round)
                bench::NearRound(round, env, customers, generated.rows, biggest.first, options.rowSubset, near);
            serverRatio = near.server.Median();
            dumpRatio = near.dump.Median();
            rowRatio = near.row.Median();
            remap100k = near.remap100k.Median();
            verifyOverhead = near.verifyOverhead.Median();
            fullRows = generated.rows;
        }
        if (options.flat) {
            bench::Customers flatCustomers;
            flatCustomers.sourceId = "benchflatsrc";
            flatCustomers.targetId = "benchflatdst";
            const std::string table = options.flatTable;
            const double perFactor = static_cast<double>(testdata::RowCount(table, 1.0));
            const double factor = std::ceil(static_cast<double>(options.flatRows) / perFactor);
            std::printf("\n== one table: %s at size factor %g\n", table.c_str(), factor);
            const auto oneTable = bench::MakeCustomers(flatCustomers, factor, {table});
            std::printf("generated %lld rows in %.0f s\n", static_cast<long long>(oneTable.rows), oneTable.seconds);
            std::fflush(stdout);
            const bench::ConversionResult run = bench::RunConversion(flatCustomers, {table});
            if (!run.completed) {
                std::printf("conversion failed: %s\n", run.lastMessage.c_str());
                return 1;
            }
            PrintTimes(("copy of " + table).c_str(), oneTable.rows, run.time);
            std::printf("%-33s peak resident memory %.1f MB%s\n", "", Mb(run.peakKiB),
                        run.peakOfRunOnly ? "" : " (of the whole process)");
            std::printf("resident memory at 0%%, 10%%, ... 100%% of the rows (MB):");
            for (std::int64_t kib : run.residentByTenth) std::printf(" %.1f", Mb(kib));
            std::printf("\n");
            peakKiB = std::max(peakKiB, run.peakKiB);
            if (!SameRowCounts(flatCustomers, {table})) status = 1;
        }
        // Far from the servers after the one-table copy, whose memory the relay's buffers
        // would otherwise swell.
        if (options.full) {
            if (options.far) {
                std::printf(
                    "\n== far from the servers: every connection through a relay holding each byte %g ms "
                    "each way\n",
                    options.farMs);
                std::fflush(stdout);
                far = bench::FarRounds(options.rounds, options.farMs / 1000, env, customers, fullRows);
                if (far.rowsDiffer) status = 1;
                if (!far.skipped.empty()) std::printf("far from the servers: not measured (%s)\n", far.skipped.c_str());
            }
            std::printf("\nour seconds: near %s; far %s\n", near.ours.Text().c_str(), far.ours.Text().c_str());
            std::printf("peer time / ours, median of the rounds (min-max):\n");
            for (const auto& [what, spread] : {std::pair{"server-side INSERT ... SELECT", &near.server},
                                               {"mariadb-dump | mariadb", &near.dump},
                                               {"mydumper | myloader (parallel)", &near.parallel},
                                               {"row at a time (ODBC, autocommit)", &near.row},
                                               {"far: mariadb-dump | mariadb", &far.dump}})
                std::printf("  %-33s %s\n", what, spread->Text().c_str());
            std::printf("time the verification adds to the run: %s\n", near.verifyOverhead.Text().c_str());
            std::printf("seconds per 100k lines of the ordbook_d remap: near %s; far %s\n",
                        near.remap100k.Text().c_str(), far.remap100k.Text().c_str());
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::printf("benchmark failed: %s\n", e.what());
        return 1;
    }
    std::printf("\nload average at the end: %s\n", bench::LoadAverage().c_str());
    std::printf(
        "RESULT server_copy_ratio=%.2f dump_ratio=%.2f row_ratio=%.1f peak_rss_mb=%.0f remap_100k_s=%.2f "
        "verify_overhead=%.2f parallel_ratio=%.2f far_dump_ratio=%.2f far_remap_100k_s=%.2f\n",
        serverRatio, dumpRatio, rowRatio, Mb(peakKiB), remap100k, verifyOverhead, near.parallel.Median(),
        far.dump.Median(), far.remap100k.Median());
    return status;
}
