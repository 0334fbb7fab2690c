#pragma once
#include <memory>
#include <string>

namespace ado {
class Connection;
}

// The order-detail table's parent links. A copied line gets a new key from the target,
// so the copy keeps each line's old key in "unit" and afterwards rewrites every
// "parentseq" from the old key of the parent to its new key.

inline constexpr const char* kOrderDetailTable = "ordbook_d";

// What the copy does with one source column of ordbook_d.
enum class OrderDetailColumn {
    General,       // copied by the general rule
    OldKeyToUnit,  // "seq": its text goes into the target's "unit"
    Dropped,       // "unit": the older edition's value is not carried over
};
OrderDetailColumn OrderDetailColumnRule(const std::string& sourceColumn);

// Rewrites every parentseq of the target's ordbook_d to the new key of its parent (its
// own new key for a line without a parent). All lines are resolved before any is
// written: a line whose parent cannot be found raises 3021, a Null "unit", "parentseq"
// or "ordno" raises 94, and then nothing is written. A table lacking one of the four
// columns raises 3265. Few statements whatever the size: the lines are read in one query
// and walked twice, the new links go to a temporary table of the session tens of thousands
// to a statement, and one UPDATE writes them all (on InnoDB every link changes or none does).
// `table` is where the lines are: the order-detail table itself, or the copy beside it
// that a run fills before putting it in place.
void RemapParentLinks(const std::shared_ptr<ado::Connection>& target, const std::string& table = kOrderDetailTable);

// The leading number of a text, as the classic Val reads it: blanks anywhere are
// skipped, reading stops at the first character that cannot continue a number, and a
// text without a leading number gives 0.
double LeadingNumber(const std::string& text);
