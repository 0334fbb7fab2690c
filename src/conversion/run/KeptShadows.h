#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"
#include "conversion/verification/TableVerification.h"

namespace ado {
class Connection;
}

// A run that fails or stops keeps the copies beside the target it had verified, so that the
// next run between the same two databases compares them again instead of copying them. Which
// copies are kept, for which pair of databases and in which verified state, is written in the
// target itself, in a small table under a reserved name: it outlives a killed program, and
// nothing of it is on a copy that is put in.

// The table of marks: one row per kept copy, by the name of the table it is a copy of.
inline constexpr const char* kKeptMarksTable = "nutv_kept__marks";

// A kept copy as its mark says: the pair it was copied for, and what its verification found.
struct KeptShadow {
    std::string pair;
    std::int64_t rows = 0;
    std::string digest;  // the copy's rows digested, as they matched the source
};

// The pair of databases a run copies between, as the marks name it.
std::string CopyPair(const std::string& sourceHost, const std::string& sourceDb, const std::string& targetDb);

// Marks the table's copy as verified for `pair`, as `check` found it. False when the mark
// could not be written: the copy is then not kept.
bool MarkVerified(ado::Connection& target, const std::string& pair, const std::string& table,
                  const TableCheck& check) noexcept;

// Forgets the mark of the table's copy (it is dropped or copied anew).
void Unmark(ado::Connection& target, const std::string& table) noexcept;

// Drops the marks once no copy is kept (all were put in or dropped).
void DropMarks(ado::Connection& target) noexcept;

// What a run found left in its target before it began.
struct Leftovers {
    std::map<std::string, KeptShadow> kept;  // by table: marked copies of this pair's selected tables
    std::vector<std::string> dropped;        // the reserved names dropped
};

// Drops every table under a reserved name that this run will not resume from: half-filled
// copies of a killed run, unverified ones, another pair's, and those of tables not selected.
// Their marks go with them; the marked copies of `pair`'s selected tables stay.
Leftovers SortLeftovers(ado::Connection& target, const std::string& pair, const std::vector<RunTable>& tables);

// Compares the table's kept copy with the source again: the check, when the copy still has
// the table's definition (the target's table may have changed since) and matches the source
// as it did when it was kept; nothing else.
std::optional<TableCheck> RecheckKept(const std::shared_ptr<ado::Connection>& source,
                                      const std::shared_ptr<ado::Connection>& target, const std::string& table,
                                      const KeptShadow& kept);

// Drops a kept copy the run does not use, and its mark.
void DropKept(ado::Connection& target, const std::string& table);
