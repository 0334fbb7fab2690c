#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace ado {
class Connection;
}

// The room a run's copies need on the target server. Each table swapped in is first filled
// beside the table it replaces, so until the swap the target holds both: the copies need
// about as much free space as their source tables take (data and indexes).

// The free space on the disk that holds the server's data folder, as far as the server tells
// (information_schema.DISKS, which lists only for an account with the FILE right); nothing
// when it does not.
std::optional<std::int64_t> TargetFreeBytes(ado::Connection& target);

// The pre-check's line when `needed` bytes do not fit in what the target has free; "" when
// they fit or the server does not tell.
std::string RoomProblem(ado::Connection& target, std::int64_t needed);
