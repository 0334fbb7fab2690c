#pragma once
#include <string>

// Where unixODBC keeps data sources, found by the same rules unixODBC itself follows, so
// that what we write and check is what the driver manager reads when a connection opens.
namespace odbcini {

// The folder of the system odbc.ini: ODBCSYSINI when set, otherwise the folder unixODBC
// was built with (/etc on Debian). Asked once per process, as unixODBC asks once.
// Empty when that answer is unusable (empty, or the filesystem root).
const std::string& SystemFolder();

// The system odbc.ini; empty when SystemFolder() is.
std::string SystemFile();

// The user's own odbc.ini, which wins over the system one: ODBCINI when set, otherwise
// ".odbc.ini" in the home folder of the account (its passwd entry, not $HOME).
std::string UserFile();

}  // namespace odbcini
