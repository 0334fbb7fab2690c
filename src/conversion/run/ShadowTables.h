#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"

namespace ado {
class Connection;
}

// A run fills a copy of each table beside it in the target ("shadow"), under a reserved
// name, and once every table is copied and verified one RENAME puts all the copies in at
// once: anyone reading the target sees the old customer or the new one, never half, and a
// run that fails or stops leaves the target as it was.

// "nutv_copying__customer": the copy of `customer` being filled.
std::string ShadowName(const std::string& table);
// "nutv_replaced__customer": the old `customer`, for the moment between the swap and its drop.
std::string ReplacedName(const std::string& table);

// Which tables must be copied in place instead, and why (in the words the check shows).
struct SwapPlan {
    std::string everyTable;                      // why no table can be swapped; "" when they can
    std::map<std::string, std::string> inPlace;  // a table that cannot, with its reason

    bool Swaps(const std::string& table) const { return everyTable.empty() && !inPlace.contains(table); }
    // "customer: 트리거가 있어 ..." for each selected table copied in place, in list order.
    std::vector<std::string> Lines(const std::vector<RunTable>& tables) const;
};

// Reads from the target server what a swap needs: a multi-table RENAME that survives a
// crash, the right to create, drop and alter tables, and tables without triggers or
// foreign keys (a rename leaves triggers behind, and a foreign key follows the renamed table).
SwapPlan PlanSwap(ado::Connection& target, const std::vector<RunTable>& tables);

// Drops every table under a reserved name but those in `keep`: what a killed run left behind,
// and copies nothing will resume from. Returns their names.
std::vector<std::string> DropLeftoverShadows(ado::Connection& target, const std::set<std::string>& keep = {});

// Makes the table's shadow afresh from the table's own definition, its counter where the
// table's is (the copy then numbers new rows as it would have in the emptied table).
// Returns the table's definition as SHOW CREATE TABLE gives it.
std::string MakeShadow(ado::Connection& target, const std::string& table);

// Drops the tables' shadows; a failure leaves them for the next run to drop.
void DropShadows(ado::Connection& target, const std::vector<std::string>& tables) noexcept;

// How long the swap waits for sessions that hold one of the tables.
inline constexpr int kSwapLockWaitSeconds = 5;

// Puts the shadows in place of the tables in one RENAME, then drops the old tables. Returns
// false, with nothing changed, when other sessions kept a table for kSwapLockWaitSeconds.
bool SwapInShadows(ado::Connection& target, const std::vector<std::string>& tables);

// What the user is told when another session kept the tables from the swap.
std::string TargetInUseMessage(const std::string& database);
