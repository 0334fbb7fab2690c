#pragma once
#include <map>
#include <string>
#include <vector>

#include "conversion/checks/PreRunCheck.h"

// The check of the values before a run changes anything: for the selected tables present on
// both sides, every source column whose type lets through values its target column cannot
// hold (a longer text, more bytes, a number out of range) and every unique key of the target
// the source's types do not promise is looked at in the source's rows: one statement reads
// each such table once, a second finds the worst row of the columns that would refuse (and
// the duplicates). One Korean line per column that would refuse: the table and column, the
// source key of the worst value, and what the target needs. Empty when every value fits;
// when the two editions' types agree, nothing is read.
std::vector<std::string> ValueProblems(ado::Connection& source, const std::vector<RunTable>& tables,
                                       const SchemaShapes& from, const SchemaShapes& to,
                                       const std::map<std::string, std::vector<std::string>>& sourceKeys);
