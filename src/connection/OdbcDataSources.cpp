#include "connection/OdbcDataSources.h"

#include <fcntl.h>
#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "common/DatabaseTls.h"
#include "common/ErrorReport.h"
#include "common/MsgBox.h"
#include "common/TrimBlanks.h"
#include "common/VbError.h"
#include "connection/OdbcIniFiles.h"
#include "platform/PrivatePath.h"

namespace {

constexpr const char* kIniName = "odbc.ini";
constexpr const char* kDriverName = "MySQL ODBC 3.51 Driver";
constexpr std::int32_t kFileAccessError = 75;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

[[noreturn]] void RaiseWriteError(const std::string& what) {
    throw VbError(kFileAccessError, "CreateMyODBC", what);
}

std::string InstallerMessage() {
    DWORD code = 0;
    std::array<char, 512> text{};
    WORD length = 0;
    if (SQLInstallerError(1, &code, text.data(), static_cast<WORD>(text.size()), &length) == SQL_SUCCESS)
        return text.data();
    return "unixODBC가 기록을 거부했습니다";
}

// Every installer call below works on one odbc.ini; the mode is process-wide, so it is
// put back to "both" (unixODBC's default) whatever happens.
class ConfigMode {
public:
    explicit ConfigMode(UWORD mode) { SQLSetConfigMode(mode); }
    ~ConfigMode() { SQLSetConfigMode(ODBC_BOTH_DSN); }
    ConfigMode(const ConfigMode&) = delete;
    ConfigMode& operator=(const ConfigMode&) = delete;
};

std::string ReadValue(const std::string& section, const std::string& key) {
    std::array<char, 4096> buffer{};
    SQLGetPrivateProfileString(section.c_str(), key.c_str(), "", buffer.data(), static_cast<int>(buffer.size()),
                               kIniName);
    return buffer.data();
}

// The key names of a section, as unixODBC reads them back.
std::set<std::string> ReadKeys(const std::string& section) {
    std::array<char, 8192> buffer{};
    const int length = SQLGetPrivateProfileString(section.c_str(), nullptr, "", buffer.data(),
                                                  static_cast<int>(buffer.size()), kIniName);
    std::set<std::string> keys;
    for (int at = 0; at < length && buffer[at] != '\0';) {
        const std::string key = buffer.data() + at;
        keys.insert(key);
        at += static_cast<int>(key.size()) + 1;
    }
    return keys;
}

// unixODBC strips leading and trailing blanks from every value it writes and reads, so
// such a value would silently become another one (another account or database).
void RefuseBlankEdges(const std::string& key, const std::string& value) {
    if (value != TrimBlanks(value))
        RaiseWriteError("앞뒤에 공백이 있는 값은 ODBC 데이터 원본에 기록할 수 없습니다: " + key + "='" + value + "'");
}

// unixODBC refuses to write to an odbc.ini that does not exist yet: create it first,
// private to the account, and find out plainly whether it can be written at all. What it
// names runs in this account's programs (the driver library), so no other account may be
// able to change the file or a folder above it.
void EnsurePrivateAndWritable(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        RaiseWriteError("이 사용자 계정에는 ODBC 설정 파일 " + path + "에 기록할 권한이 없습니다.");
    if (fd < 0) RaiseWriteError("ODBC 설정 파일에 기록할 수 없습니다: " + path + " (" + std::strerror(errno) + ")");
    ::close(fd);
    if (const auto open = platform::ChangeableByOthers(path, ::geteuid()))
        RaiseWriteError("다른 계정이 ODBC 설정 파일 " + path + "을(를) 바꿀 수 있어 데이터 원본을 기록하지 않습니다: " +
                        *open + "의 소유자와 권한을 확인하세요.");
}

void Write(const std::string& section, const std::string& key, const std::string& value, const std::string& path) {
    if (!SQLWritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), kIniName))
        RaiseWriteError("ODBC 설정 파일에 기록할 수 없습니다: " + path + " [" + section + "] " + key + " (" +
                        InstallerMessage() + ")");
    // The installer can report success and still keep the old value (a file it could
    // not replace); trust only what reads back.
    if (ReadValue(section, key) != value)
        RaiseWriteError("ODBC 설정 파일에 기록한 값이 남지 않았습니다: " + path + " [" + section + "] " + key);
}

}  // namespace

std::vector<std::string> OdbcDataSources::DefaultDriverCandidates() {
    return {"/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so", "/usr/local/lib/mariadb/libmaodbc.so",
            "/usr/lib64/libmaodbc.so"};
}

OdbcDataSources::OdbcDataSources(std::vector<std::string> driverCandidates)
    : candidates_(std::move(driverCandidates)) {}

std::string OdbcDataSources::GetMyODBCPath() {
    if (!myOdbcPath_.empty()) return myOdbcPath_;
    for (const auto& path : candidates_) {
        if (IsRegularFile(path)) {
            myOdbcPath_ = path;
            break;
        }
    }
    return myOdbcPath_;
}

std::string OdbcDataSources::UserOdbcIniPath() {
    return odbcini::UserFile();
}

bool OdbcDataSources::CreateMyODBC(const std::string& dsn, const std::string& database, const std::string& description,
                                   const std::string& server, const std::string& userId) {
    const std::string driver = GetMyODBCPath();
    if (driver.empty()) {
        MsgBox("MyODBC를 생성 dll파일을 찾을 수 없습니다.", mb::kOkOnly);
        return false;
    }
    try {
        RefuseBlankEdges("UID", userId);
        RefuseBlankEdges("DATABASE", database);
        RefuseBlankEdges("SERVER", server);
        const std::string path = UserOdbcIniPath();
        EnsurePrivateAndWritable(path);
        std::vector<std::pair<std::string, std::string>> entries = {{"DATABASE", database},
                                                                    {"DESCRIPTION", description},
                                                                    {"Driver", driver},
                                                                    {"SERVER", server},
                                                                    {"UID", userId}};
        // Encrypted, with the server's certificate checked against the built-in authority
        // and the address (the driver checks nothing unless SSLVERIFY is set), and never
        // in clear text (FORCETLS).
        if (dbtls::Required()) {
            entries.emplace_back("FORCETLS", "1");
            entries.emplace_back("SSLCA", dbtls::AuthorityFile());
            entries.emplace_back("SSLVERIFY", "1");
        }
        std::set<std::string> written;
        {
            ConfigMode user(ODBC_USER_DSN);
            // The section is replaced whole: a key left from an earlier run or another tool
            // (SOCKET, PORT, INITSTMT, ...) would quietly send the connection elsewhere.
            if (!SQLWritePrivateProfileString(dsn.c_str(), nullptr, nullptr, kIniName))
                RaiseWriteError("ODBC 설정 파일에서 이전 데이터 원본을 지울 수 없습니다: " + path + " [" + dsn + "] (" +
                                InstallerMessage() + ")");
            for (const auto& [key, value] : entries) {
                Write(dsn, key, value, path);
                written.insert(key);
            }
            Write("ODBC Data Sources", dsn, kDriverName, path);
        }
        // What the driver manager will use: the user's section wins whole over a system one
        // of the same name (no key of that one is merged in), so this reads back exactly ours
        // unless the user file is not the one it reads.
        bool asWritten = ReadKeys(dsn) == written;
        for (const auto& [key, value] : entries) asWritten = asWritten && ReadValue(dsn, key) == value;
        if (!asWritten)
            RaiseWriteError("ODBC 데이터 원본이 기록한 대로 읽히지 않습니다 (다른 정의가 대신 쓰입니다): " + path +
                            " [" + dsn + "]");
        return true;
    } catch (const VbError& e) {
        MsgBox(ErrorReportText(e, "CreateMyODBC", ReportOwner::Form, "Form1"), mb::kOkOnly);
        return false;
    }
}
