#pragma once
#include <string>
#include <vector>

// Registers the customers' ODBC data sources in the account's own odbc.ini, which only
// that account can change and which unixODBC reads before the system one, and finds the
// MySQL ODBC driver library they name.
class OdbcDataSources {
public:
    // The driver libraries tried in order: Debian's package, the vendor's tarball
    // layout under /usr/local, and the lib64 layout of other distributions.
    static std::vector<std::string> DefaultDriverCandidates();

    explicit OdbcDataSources(std::vector<std::string> driverCandidates = DefaultDriverCandidates());

    // The driver library path; searched until found once, then remembered.
    std::string GetMyODBCPath();
    const std::string& MyODBCPath() const { return myOdbcPath_; }

    // Writes the data source, whole, and its "ODBC Data Sources" entry, and checks that the
    // driver manager reads back exactly that. Returns false, after telling the user, when
    // the driver is missing, a write is refused, another account could change the file, or
    // the data source does not read back as written.
    bool CreateMyODBC(const std::string& dsn, const std::string& database, const std::string& description,
                      const std::string& server, const std::string& userId);

    // The account's own odbc.ini: ODBCINI when set, otherwise ~/.odbc.ini.
    static std::string UserOdbcIniPath();

private:
    std::vector<std::string> candidates_;
    std::string myOdbcPath_;
};
