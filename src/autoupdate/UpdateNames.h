#pragma once
#include <cstddef>
#include <string>

// The names the update mechanism and the download server agree on. The tools keep their
// Windows names: they are what the server publishes.
namespace update {

inline constexpr const char* kProbeName = "UpdProbeV1.exe";   // the version checker
inline constexpr const char* kSwapName = "swapkit.exe";       // the file replacer
inline constexpr const char* kPendingPrefix = "New_";         // a newer program waiting to be put in place
inline constexpr const char* kLatestSuffix = "_lastver.txt";  // "<name>_lastver.txt": the latest revision
inline constexpr const char* kSignatureSuffix = ".sig";       // "<name>.sig": the detached signature of <name>
// The longest signature file read: 128 hex digits and a line end, with room to spare.
inline constexpr std::size_t kMaxSignatureBytes = 1024;
inline constexpr const char* kDownloadPath = "/download/자동업데이트_v1/";

// The file replacer restarts the program with this variable set to one of the two values,
// so that the new start knows it follows a replacement and hands over no second time.
inline constexpr const char* kRestartMarkVariable = "NUTV_UPDATE_RESTART";
inline constexpr const char* kRestartAfterSwap = "swapped";
inline constexpr const char* kRestartAfterFailedSwap = "failed";

// The revision: the last dot-separated component of a version ("1.0.0.12" -> "12").
inline std::string RevisionText(const std::string& version) {
    const auto dot = version.rfind('.');
    return dot == std::string::npos ? version : version.substr(dot + 1);
}

}  // namespace update
