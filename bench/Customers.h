#pragma once
// The two customers of a benchmark run: the older edition's database filled by the
// testdata generator, the newer edition's with empty tables, both registered on the
// central database as the program expects to find them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testdata/Database.h"

namespace bench {

struct Customers {
    std::string sourceId = "benchsrc";
    std::string targetId = "benchdst";
    std::string SourceDb() const { return "maketarn_" + sourceId; }
    std::string TargetDb() const { return "makevelm_" + targetId; }
};

// The test server's administrator account.
testdata::Server AdminServer();

// Makes both customers afresh with all 80 tables, and fills the source's `tables` (empty:
// all) with generated rows. Returns the rows generated. The generator runs in a child
// process, so that what it allocates never counts in this process's memory.
testdata::PopulateResult MakeCustomers(const Customers& customers, double sizeFactor,
                                       const std::vector<std::string>& tables);

// The row count of every table of a database that has rows, as (table, rows).
std::vector<std::pair<std::string, std::int64_t>> RowCounts(const std::string& database,
                                                            const std::vector<std::string>& tables);

}  // namespace bench
