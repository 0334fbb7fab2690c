#include "bench/Machine.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace bench {

namespace {

std::int64_t StatusKiB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1));
    return -1;
}

}  // namespace

std::string MachineDescription() {
    std::string model = "unknown CPU";
    std::ifstream cpu("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpu, line))
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    std::int64_t memKiB = 0;
    std::ifstream mem("/proc/meminfo");
    while (std::getline(mem, line))
        if (line.rfind("MemTotal:", 0) == 0) memKiB = std::stoll(line.substr(9));
    std::ostringstream out;
    out << model << ", " << std::thread::hardware_concurrency() << " cores, " << (memKiB + 512 * 1024) / (1024 * 1024)
        << " GiB RAM";
    return out.str();
}

std::string LoadAverage() {
    std::ifstream loadavg("/proc/loadavg");
    std::string one, five, fifteen;
    loadavg >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::int64_t ResidentKiB() {
    return StatusKiB("VmRSS");
}

std::int64_t PeakResidentKiB() {
    return StatusKiB("VmHWM");
}

bool ResetPeakResident() {
    std::ofstream refs("/proc/self/clear_refs");
    refs << "5";
    refs.flush();
    return static_cast<bool>(refs);
}

namespace {

int serverPid = 0;

double ClientCpu() {
    double seconds = 0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime})
            seconds += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    }
    return seconds;
}

double ProcessCpu(int pid) {
    if (pid <= 0) return 0;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return 0;
    // Fields after the command name (which may hold spaces) in parentheses: state is the
    // 3rd field, utime the 14th and stime the 15th.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

Span Sample() {
    return {Now(), ClientCpu(), ProcessCpu(serverPid)};
}

}  // namespace

void Stopwatch::SetServerPid(int pid) {
    serverPid = pid;
}

Stopwatch::Stopwatch() : start_(Sample()) {}

Span Stopwatch::Elapsed() const {
    const Span now = Sample();
    return {now.wall - start_.wall, now.client - start_.client, now.server - start_.server};
}

Span Span::PerHundredThousand(std::int64_t rows) const {
    if (rows <= 0) return {};
    const double scale = 100000.0 / static_cast<double>(rows);
    return {wall * scale, client * scale, server * scale};
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace bench
