#pragma once
// What the conversion is measured against, on the same rows and the same server:
// the server copying by itself, a dump piped into the client, a parallel dump to files
// loaded in parallel, and one INSERT per row.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bench/Customers.h"
#include "bench/Machine.h"

namespace testsupport {
class IsolatedEnvironment;
}

namespace bench {

struct PeerResult {
    std::int64_t rows = 0;
    Span time;
    std::string note;                                          // what went wrong, if anything
    std::string steps;                                         // how its time divides, for a peer of steps
    std::vector<std::pair<std::string, double>> tableSeconds;  // where it goes table by table
    double RowsPerSecond() const { return time.wall > 0 ? static_cast<double>(rows) / time.wall : 0; }
};

// Per table "INSERT INTO scratch.t (shared columns) SELECT shared columns FROM source.t",
// into a scratch database with the newer edition's tables.
PeerResult ServerSideCopy(const Customers& customers, const std::vector<std::string>& tables);

// "mariadb-dump --no-create-info source tables | mariadb scratch", into a scratch database
// with the older edition's own tables (a dump cannot convert between the editions).
PeerResult DumpAndLoad(const Customers& customers, const std::vector<std::string>& tables);

// "mydumper -t N" of the source tables' rows to files, then "myloader -t N" of those files
// into a scratch database with the older edition's own tables, N being the machine's cores.
PeerResult ParallelDumpAndLoad(const Customers& customers, const std::vector<std::string>& tables);

// The first `rows` rows of `table`, one INSERT per row in autocommit through ODBC (the
// data layer's row-at-a-time path), into a scratch copy of the newer edition's table.
PeerResult RowAtATime(const testsupport::IsolatedEnvironment& env, const Customers& customers, const std::string& table,
                      std::int64_t rows);

}  // namespace bench
