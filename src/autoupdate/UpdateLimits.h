#pragma once
#include <chrono>
#include <cstdint>

// The bounds that keep the update mechanism from holding up the start of the program: a
// download that crawls, a body without end, a checker that never returns. The program
// and both tools use the field values; only test programs build other ones.
namespace update {

struct UpdateLimits {
    // A transfer slower than this for `slowWindow` is given up (the server trickles).
    long minBytesPerSecond = 1024;
    std::chrono::seconds slowWindow{30};
    // No download may take longer than this as a whole, however fast it still crawls.
    std::chrono::seconds wholeDownload{150};
    // Far above any real executable of ours (the program is about 20 MB).
    std::int64_t maxBytes = std::int64_t{128} * 1024 * 1024;
    // How long the start-up waits for the version checker before it stops it.
    std::chrono::seconds checkerWait{180};
};

// The values the program and its tools use.
inline constexpr UpdateLimits kFieldLimits{};

}  // namespace update
