#pragma once

// The names the update mechanism and the download server agree on. The tools keep their
// Windows names: they are what the server publishes.
namespace update {

inline constexpr const char* kProbeName = "UpdProbeV1.exe";   // the version checker
inline constexpr const char* kSwapName = "swapkit.exe";       // the file replacer
inline constexpr const char* kPendingPrefix = "New_";         // a newer program waiting to be put in place
inline constexpr const char* kLatestSuffix = "_lastver.txt";  // "<name>_lastver.txt": the latest revision
inline constexpr const char* kDownloadPath = "/download/자동업데이트_v1/";

}  // namespace update
