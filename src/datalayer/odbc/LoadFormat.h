#pragma once
// Internal: values written as one field of LOAD DATA's default text format (fields ended
// by a tab, lines by a newline, backslash the escape), so that the server reads back
// exactly the bytes given: a backslash, tab, newline, carriage return and NUL are escaped,
// Null is \N, numbers are written as the shortest text that reads back as the same value,
// bytes in the Hex form as two hexadecimal digits each.
#include <string>

#include "datalayer/Value.h"
#include "datalayer/odbc/LoadPlan.h"

namespace ado::odbc {

void AppendLoadField(std::string& out, const Value& value, LoadForm form);

}  // namespace ado::odbc
