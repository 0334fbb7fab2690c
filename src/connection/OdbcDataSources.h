#pragma once
#include <string>
#include <vector>

// Registers the customers' ODBC data sources in the system odbc.ini that unixODBC
// reads for every user, and finds the MySQL ODBC driver library they name.
class OdbcDataSources {
public:
    // The driver libraries tried in order: Debian's package, the vendor's tarball
    // layout under /usr/local, and the lib64 layout of other distributions.
    static std::vector<std::string> DefaultDriverCandidates();

    explicit OdbcDataSources(std::vector<std::string> driverCandidates = DefaultDriverCandidates());

    // The driver library path; searched until found once, then remembered.
    std::string GetMyODBCPath();
    const std::string& MyODBCPath() const { return myOdbcPath_; }

    // Writes the data source and its "ODBC Data Sources" entry. Returns false, after
    // telling the user, when the driver is missing, a write is refused, or a user data
    // source of the same name would be used instead of this one.
    bool CreateMyODBC(const std::string& dsn, const std::string& database, const std::string& description,
                      const std::string& server, const std::string& userId);

    // The system odbc.ini in force (ODBCSYSINI moves it); empty when unixODBC names no
    // usable folder.
    static std::string SystemOdbcIniPath();

private:
    std::vector<std::string> candidates_;
    std::string myOdbcPath_;
};
