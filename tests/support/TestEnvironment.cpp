#include "support/TestEnvironment.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "common/DatabaseTls.h"

namespace testsupport {

namespace {
bool Save(const char* name, std::string& old) {
    const char* value = std::getenv(name);
    if (value) old = value;
    return value != nullptr;
}
void Restore(const char* name, bool had, const std::string& old) {
    if (had)
        ::setenv(name, old.c_str(), 1);
    else
        ::unsetenv(name);
}
}  // namespace

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nutv-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only files and folders behind; make them removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

IsolatedEnvironment::IsolatedEnvironment() {
    hadSysIni_ = Save("ODBCSYSINI", oldSysIni_);
    hadHome_ = Save("HOME", oldHome_);
    hadUserIni_ = Save("ODBCINI", oldUserIni_);
    hadConfig_ = Save("XDG_CONFIG_HOME", oldConfig_);
    hadState_ = Save("XDG_STATE_HOME", oldState_);
    std::filesystem::create_directories(dir_ / "odbc");
    std::filesystem::create_directories(dir_ / "home");
    std::filesystem::create_directories(dir_ / "config");
    WriteFile(OdbcIniPath(), "");
    WriteFile(dir_ / "odbc/odbcinst.ini", "");
    ::setenv("ODBCSYSINI", (dir_ / "odbc").c_str(), 1);
    ::setenv("HOME", (dir_ / "home").c_str(), 1);
    // unixODBC finds the user's odbc.ini through the account's passwd entry, not $HOME,
    // and creates it when missing: name it, or the test would leave one in the real home.
    ::setenv("ODBCINI", UserOdbcIniPath().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", StateHome().c_str(), 1);
}

IsolatedEnvironment::~IsolatedEnvironment() {
    Restore("ODBCSYSINI", hadSysIni_, oldSysIni_);
    Restore("HOME", hadHome_, oldHome_);
    Restore("ODBCINI", hadUserIni_, oldUserIni_);
    Restore("XDG_CONFIG_HOME", hadConfig_, oldConfig_);
    Restore("XDG_STATE_HOME", hadState_, oldState_);
}

std::string IsolatedEnvironment::OdbcIniPath() const {
    return dir_ / "odbc/odbc.ini";
}
std::string IsolatedEnvironment::UserOdbcIniPath() const {
    return dir_ / "home/.odbc.ini";
}
std::string IsolatedEnvironment::ConfigHome() const {
    return dir_ / "config";
}
std::string IsolatedEnvironment::StateHome() const {
    return dir_ / "state";
}

void IsolatedEnvironment::WriteDataSource(const std::string& dsn, const std::string& server,
                                          const std::string& database, const std::string& user) const {
    std::ofstream out(OdbcIniPath(), std::ios::app);
    out << "[" << dsn << "]\nDriver=" << kOdbcDriverPath << "\nSERVER=" << server << "\nDATABASE=" << database
        << "\nUID=" << user << "\nPORT=3306\n"
        << DataSourceTlsKeys() << "\n";
}

std::string DataSourceTlsKeys() {
    return dbtls::Required() ? "FORCETLS=1\nSSLCA=" + dbtls::AuthorityFile() + "\nSSLVERIFY=1\n" : "";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string WaitForFile(const std::string& path, const std::function<bool(const std::string&)>& done,
                        std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string content;
    while (!done(content = ReadFile(path)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return content;
}

std::string WaitForContent(const std::string& path, const std::string& expected) {
    return WaitForFile(path, [&](const std::string& content) { return content == expected; });
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
