#pragma once
#include <optional>
#include <string>

namespace ado {
class Connection;
}

// One conversion per target database at a time, whichever computer starts it: the run
// takes a server lock named after the target database on its target connection before it
// changes anything and keeps it to its end; the server lets it go when that connection
// ends, so a killed run never leaves it behind. Verification takes the same lock: it never
// reads a target that a conversion is filling.

// Takes the lock without waiting. Returns nothing when this connection holds it, else who
// holds it as far as the server tells ("사용자 u, 접속 위치 h"), or "" when it cannot tell.
std::optional<std::string> TakeTargetLock(ado::Connection& target);

// Whether this connection still holds the lock: a session the server has ended (and the
// driver may have opened anew) does not.
bool HoldsTargetLock(ado::Connection& target);

// The refusal shown when another run holds the lock of `database`.
std::string TargetBusyMessage(const std::string& database, const std::string& holder);
