#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A temporary folder, removed with everything in it at the end of its scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Gives the test its own system odbc.ini (ODBCSYSINI, an empty odbc.ini created), home
// folder (HOME), user odbc.ini in it (ODBCINI), settings folder (XDG_CONFIG_HOME) and
// state folder (XDG_STATE_HOME, where run records go); restores the old values.
// unixODBC reads ODBCSYSINI once per process: create this before the first ODBC call.
class IsolatedEnvironment {
public:
    IsolatedEnvironment();
    ~IsolatedEnvironment();
    IsolatedEnvironment(const IsolatedEnvironment&) = delete;
    IsolatedEnvironment& operator=(const IsolatedEnvironment&) = delete;

    std::string OdbcIniPath() const;      // the system odbc.ini
    std::string UserOdbcIniPath() const;  // $ODBCINI: $HOME/.odbc.ini
    std::string ConfigHome() const;       // $XDG_CONFIG_HOME
    std::string StateHome() const;        // $XDG_STATE_HOME
    const TempDir& dir() const { return dir_; }

    // Writes a data source into the system odbc.ini, driver given by its library path.
    void WriteDataSource(const std::string& dsn, const std::string& server, const std::string& database,
                         const std::string& user) const;

private:
    TempDir dir_;
    std::string oldSysIni_, oldHome_, oldUserIni_, oldConfig_, oldState_;
    bool hadSysIni_, hadHome_, hadUserIni_, hadConfig_, hadState_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
// The file's content once `done` holds for it, or whatever it holds when `limit` has passed
// (for files written by processes that were started and not waited for).
std::string WaitForFile(const std::string& path, const std::function<bool(const std::string&)>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(15));
// The same, until the content equals `expected`.
std::string WaitForContent(const std::string& path, const std::string& expected);
// The names in a folder, hidden ones included, sorted.
std::vector<std::string> FileNames(const std::string& folder);

// The MariaDB ODBC driver library of this machine.
inline constexpr const char* kOdbcDriverPath = "/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so";
// The lines of a data source that make the driver speak TLS as the program's do ("" in a
// clear-text build).
std::string DataSourceTlsKeys();

}  // namespace testsupport
