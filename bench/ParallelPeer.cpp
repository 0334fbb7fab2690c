// The parallel dump and load a DBA reaches for to move a database fast: every table's
// rows dumped to files by N threads, then loaded by N threads.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench/Machine.h"
#include "bench/Peers.h"
#include "bench/Scratch.h"
#include "support/TestEnvironment.h"

namespace bench {

namespace {

constexpr const char* kScratchParallel = "bench_peer_parallel";

// Runs a shell command; a failure goes into `note`.
Span Run(const std::string& what, const std::string& command, std::string& note) {
    const Stopwatch watch;
    const int status = std::system(("bash -c " + ShellWord(command)).c_str());
    if (status != 0) note += what + " exited with status " + std::to_string(WEXITSTATUS(status)) + "; ";
    return watch.Elapsed();
}

}  // namespace

PeerResult ParallelDumpAndLoad(const Customers& customers, const std::vector<std::string>& tables) {
    const std::vector<std::string> names = AllOr(tables);
    MakeScratch(kScratchParallel, testdata::Edition::Tarn, names);
    const testsupport::TempDir files;
    const std::string threads = " --threads=" + std::to_string(std::max(1u, std::thread::hardware_concurrency()));
    const std::string login = AdminLogin(true) + threads + " --verbose=1";
    std::string dump = "mydumper" + login + " --no-schemas --outputdir=" + ShellWord(files / "dump") +
                       " --database=" + ShellWord(customers.SourceDb());
    if (!tables.empty()) {
        std::string list;
        for (const std::string& table : names) list += (list.empty() ? "" : ",") + customers.SourceDb() + "." + table;
        dump += " --tables-list=" + ShellWord(list);
    }
    const std::string load =
        "myloader" + login + " --directory=" + ShellWord(files / "dump") + " --database=" + ShellWord(kScratchParallel);

    PeerResult result;
    const Span dumped = Run("mydumper", dump, result.note);
    const Span loaded = Run("myloader", load, result.note);
    result.time = {dumped.wall + loaded.wall, dumped.client + loaded.client, dumped.server + loaded.server};
    char steps[128];
    std::snprintf(steps, sizeof steps, "dump %.1f s + load %.1f s, %s threads each", dumped.wall, loaded.wall,
                  threads.substr(threads.find('=') + 1).c_str());
    result.steps = steps;
    for (const std::string& table : names) result.rows += Count(kScratchParallel, table);
    return result;
}

}  // namespace bench
