#pragma once
// Internal: how names and values become part of a text sent to the driver. Every name
// in an SQL text goes through QuoteIdentifier (the conversion's SqlIdentifier likewise).
#include <string>

namespace ado::odbc {

// A MySQL identifier in backticks, backticks inside doubled: `a``b`.
std::string QuoteIdentifier(const std::string& name);

// A connection-string attribute value, braced when it holds characters that would end
// or confuse it (';', '{', '}', '=', surrounding blanks), with '}' doubled inside.
std::string ConnectionStringValue(const std::string& value);

// The value of the last attribute named `key` (ASCII case ignored) in a connection
// string, braces undone; empty when there is none.
std::string ConnectionStringAttribute(const std::string& text, const std::string& key);

}  // namespace ado::odbc
