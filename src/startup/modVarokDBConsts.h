#pragma once
#include <string>

#include "common/CentralDBHost.h"

// modVarokDBConsts: which computer this is and whether it may run the program. The
// in-house database keeps per user the adapter addresses of the computers the user may
// work on (table user_mac), each with a block flag. CentralDBHost (common) names its server.

// The address of the first IP-enabled network adapter without separators (00A0C9123456),
// or "" when there is none or the adapters cannot be read (the failure is reported).
std::string GetMyMacAddress();

// The user_id of the first unblocked user_mac row for this computer's address, or "" when
// the computer is not admitted or the check could not be made. Opens and releases its own
// session on the in-house database; an unreachable server reports itself.
std::string GetAllowMyPC();

// An adapter address as the in-house table keeps it: every "-" and ":" removed.
std::string MacAddressWithoutSeparators(const std::string& address);
