#pragma once
// What the benchmark reports about the machine and about its own memory.
#include <cstdint>
#include <string>

namespace bench {

// "CPU model, N cores, M GiB RAM" from /proc.
std::string MachineDescription();

// "0.12 0.30 0.25" (1, 5 and 15 minutes) from /proc/loadavg: how busy the machine was.
std::string LoadAverage();

// This process's resident memory now and at its peak, in KiB (/proc/self/status).
std::int64_t ResidentKiB();
std::int64_t PeakResidentKiB();
// Starts the peak over from the current resident size (Linux: clear_refs 5). False when
// the kernel refuses; the peak then covers the whole process.
bool ResetPeakResident();

// Seconds since an arbitrary start, monotonic.
double Now();

// Time spent by a piece of work: wall clock, CPU of this process and the processes it
// waited for (the client), CPU of the database server. With other work on the machine,
// wall-clock figures swing; CPU seconds swing much less.
struct Span {
    double wall = 0, client = 0, server = 0;
    // The same time spread over `rows` rows, per 100,000 of them (zero for no rows).
    Span PerHundredThousand(std::int64_t rows) const;
};

class Stopwatch {
public:
    // The server's process id, for its CPU time (0: not measured).
    static void SetServerPid(int pid);
    Stopwatch();
    Span Elapsed() const;

private:
    Span start_;
};

}  // namespace bench
