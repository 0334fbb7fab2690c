#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "testdata/Schema.h"

// What the copy run leaves in a target table of the newer edition, as SQL that finds the
// rows breaking it: for checking a converted customer against its source. The target
// table is aliased `t`, the source table `s`.
namespace testdata {

// Makes an SQL string literal of a text (the caller's quoting: a session's or a plain one).
using QuoteText = std::function<std::string(const std::string&)>;

// The condition that pairs a target row with its source row: the source's key, except for
// order lines, whose old key the copy keeps in "unit".
std::string SourceRowJoin(std::string_view table);

// Whether a target column is left out of the value check: keys the target assigns itself,
// and the order lines' keys and parent links (checked by WrongParentLinksSql).
bool AssignedByTarget(std::string_view table, const Column& target, const Column* source);

// The SQL type both sides are cast to before comparing: the target column's.
std::string CastType(const Column& target);

// The column's default as an SQL literal ("NULL" when it has none).
std::string DefaultLiteral(const Column& column, const QuoteText& quote);

// The condition true for paired rows whose target column does not hold the source's value
// as the target column takes it (Null, and the empty text for a date target, leave the
// target's default).
std::string WrongCopyCondition(const Column& source, const Column& target, const QuoteText& quote);

// The condition true for target rows whose column (one the source lacks) does not hold its
// default.
std::string WrongDefaultCondition(const Column& target, const QuoteText& quote);

// Counts the order lines whose parent link does not name the new key of the line that held
// the old parent key in the same order; the databases are given as quoted identifiers.
std::string WrongParentLinksSql(const std::string& sourceDb, const std::string& targetDb);

}  // namespace testdata
