#pragma once
// The benchmark in rounds: ours and each peer measured alternately, near the servers and
// far from them, so that a slow minute on a shared machine moves one round, not the result.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/ConversionRun.h"
#include "bench/Customers.h"

namespace testsupport {
class IsolatedEnvironment;
}

namespace bench {

// One figure over the rounds: its median, and the range it spread over.
class Spread {
public:
    void Add(double value) { values_.push_back(value); }
    double Median() const;
    // "0.98 (0.91-1.05 over 3 rounds)", or just the value after one round.
    std::string Text() const;

private:
    std::vector<double> values_;
};

// Our seconds, ours against each peer (peer time / ours, on the same rows), the remap's
// seconds per 100k lines and what verification adds to our time, round by round.
struct NearFigures {
    Spread ours, server, dump, parallel, row, remap100k, verifyOverhead;
};

// The conversion of all tables, into the target's tables made empty again; throws when it
// does not complete.
ConversionResult ConvertAfresh(const Customers& customers, bool verify = true);

// One more round near the servers: ours afresh into emptied tables, verified between two
// runs without verification, the remap, then every peer; prints one line.
void NearRound(int round, const testsupport::IsolatedEnvironment& env, const Customers& customers,
               std::int64_t sourceRows, const std::string& rowTable, std::int64_t rowSubset, NearFigures& figures);

struct FarFigures {
    Spread ours, dump, remap100k;
    std::string skipped;      // why nothing was measured far away, if so
    bool rowsDiffer = false;  // a copy far away did not arrive whole
};

// `rounds` rounds with every connection through a relay holding each byte `delaySeconds`
// in each direction: ours, the remap, then the dump piped into the client; a line each,
// with the bytes relayed and whether every copy arrived whole.
FarFigures FarRounds(int rounds, double delaySeconds, const testsupport::IsolatedEnvironment& env,
                     const Customers& customers, std::int64_t sourceRows);

}  // namespace bench
