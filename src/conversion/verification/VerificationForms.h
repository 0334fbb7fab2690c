#pragma once
#include <memory>
#include <string>
#include <vector>

#include "datalayer/ColumnRules.h"

namespace ado {
class Connection;
}

// How one table is compared between the two editions: for each side, SQL expressions over
// the table (aliased `t`) that give every compared value in the form the target column
// holds it, so that each server can digest its own side and equal tables give equal text.
struct VerificationForms {
    std::vector<std::string> sourceValues, targetValues;  // paired, one per compared value
    std::vector<std::string> valueNames;                  // the column of each value, for naming a difference
    std::vector<std::string> sourceNulls, targetNulls;    // paired: which values are Null, as 0 or 1
    std::vector<std::string> sourceKey, targetKey;        // the row's key, the same way
    std::vector<std::string> keyNames;                    // for naming a differing row
    std::string targetJoin;                               // joined on the target side ("" if none)
    std::vector<std::string> uncompared;                  // columns left out, with the reason
};

// Reads both tables' columns from the servers and pairs them by the column rules
// (datalayer/ColumnRules.h): columns both editions have, and columns only the target has,
// except those the target computes; the order lines are paired by their old key (kept in
// "unit") and their parent links compared through it. Throws VbError when either side
// lacks the table. The target's rows are read from `targetTable`: the table itself, or the
// copy a run fills beside it.
VerificationForms PairColumns(ado::Connection& source, ado::Connection& target, const std::string& table,
                              const std::string& targetTable);

using ado::SqlIdentifier;
using ado::SqlTextLiteral;
