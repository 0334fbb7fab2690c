#pragma once

// The account on the maker's in-house database that sign-in and the machine admission
// check use. The server is the central database server (CentralDBHost).
namespace inhouse {
inline constexpr const char* kUser = "vr_inhouse";
inline constexpr const char* kPassword = "tkxq3851";
inline constexpr const char* kDatabase = "vr_inhouse";
inline constexpr int kPort = 3306;
}  // namespace inhouse
