#pragma once

#include "common/BuiltInValues.h"

// The account on the maker's in-house database that sign-in and the machine admission
// check use. The server is the central database server (CentralDBHost).
namespace inhouse {
inline constexpr const char* kUser = builtin::kInhouseAccount;
inline constexpr const char* kPassword = builtin::kInhousePassword;
inline constexpr const char* kDatabase = builtin::kInhouseAccount;
inline constexpr int kPort = 3306;
// The server's name in what the user is told.
inline constexpr const char* kServerName = "사내 데이터베이스 서버";
}  // namespace inhouse
