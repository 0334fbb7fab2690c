#pragma once
#include <string>

// Where unixODBC keeps an account's own data sources, found by the same rule unixODBC
// itself follows, so that what we write and check is what the driver manager reads when a
// connection opens.
namespace odbcini {

// The user's own odbc.ini, which wins over the system one: ODBCINI when set, otherwise
// ".odbc.ini" in the home folder of the account (its passwd entry, not $HOME).
std::string UserFile();

}  // namespace odbcini
