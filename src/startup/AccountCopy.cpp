#include "startup/AccountCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "autoupdate/DownloadUrl.h"
#include "autoupdate/ExecutableCheck.h"
#include "autoupdate/UpdateNames.h"
#include "platform/AccountEntry.h"
#include "platform/ExecutablePath.h"
#include "platform/PrivatePath.h"

namespace startup {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home == '/') return home;
    const auto account = platform::AccountEntryOf(::getuid());
    return account && !account->home.empty() ? account->home : "/";
}

AccountLaunch Refuse(std::string message) {
    return {AccountLaunch::Kind::Refused, {}, std::move(message)};
}

// `what` names the file or folder with its object particle ("설치된 프로그램을").
std::string OthersMayChangeMessage(const std::string& what, const std::string& path) {
    return "다른 계정이 " + what + " 바꿀 수 있어 프로그램을 실행하지 않습니다.\r\n\r\n" + path +
           "\r\n\r\n이 파일(폴더)의 소유자와 쓰기 권한을 확인하거나 관리자에게 문의하세요.";
}

// The folders of the account's data folder that do not exist yet are made private (0700).
bool MakeFolders(const std::string& folder) {
    if (folder == "/" || ::access(folder.c_str(), F_OK) == 0) return true;
    return MakeFolders(platform::FolderOf(folder)) && (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST);
}

// Copies through a temporary file in the same folder and renames it into place, so the
// copy is whole or absent, never half-written.
bool CopyInto(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    std::string temporary = platform::FolderOf(to) + "/." + platform::FileNameOf(to) + ".seed-XXXXXX";
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    bool ok = out >= 0;
    std::array<char, 1 << 16> buffer{};
    for (ssize_t n = 0; ok && (n = ::read(in, buffer.data(), buffer.size())) != 0;)
        ok = n > 0 && ::write(out, buffer.data(), static_cast<std::size_t>(n)) == n;
    ok = ok && ::fchmod(out, 0755) == 0 && ::fsync(out) == 0;
    if (out >= 0) ok = ::close(out) == 0 && ok;
    ::close(in);
    if (ok && ::rename(temporary.c_str(), to.c_str()) == 0) return true;
    if (out >= 0) ::unlink(temporary.c_str());
    return false;
}

// A file of the account's copy is seeded when it is missing or older than the
// installation's; the program also when it is no whole executable of ours any more.
bool NeedsSeed(const std::string& installed, const std::string& copy, const std::string& name, bool isProgram) {
    const auto copyRevision = update::RevisionOf(copy);
    if (!copyRevision || *copyRevision < update::RevisionOf(installed).value_or(-1)) return true;
    if (!isProgram) return false;
    update::Expectation expected;
    expected.fileName = name;
    return update::CheckExecutable(copy, expected) != update::Verdict::Accepted;
}

}  // namespace

std::string AccountProgramFolder(const std::string& programFile) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const std::string base = dataHome && *dataHome == '/' ? dataHome : HomeFolder() + "/.local/share";
    return update::InFolder(base, programFile);
}

AccountLaunch PrepareAccountLaunch(const std::string& runningExecutable, uid_t account) {
    const std::string folder = platform::FolderOf(runningExecutable);
    const std::string name = platform::FileNameOf(runningExecutable);
    struct stat folderInfo {};
    const bool ownFolder = ::stat(folder.c_str(), &folderInfo) == 0 && folderInfo.st_uid == account;
    if (ownFolder && !platform::ChangeableByOthers(runningExecutable, account)) return {};

    // The installation itself must be out of every other account's reach.
    if (const auto open = platform::ChangeableByOthers(runningExecutable, account))
        return Refuse(OthersMayChangeMessage("설치된 프로그램을", *open));
    const std::string copyFolder = AccountProgramFolder(name);
    if (!MakeFolders(copyFolder))
        return Refuse("프로그램을 복사할 폴더를 만들 수 없습니다: " + copyFolder + " (" + std::strerror(errno) + ")");
    if (const auto open = platform::ChangeableByOthers(copyFolder, account))
        return Refuse(OthersMayChangeMessage("이 계정의 프로그램 폴더를", *open));
    for (const std::string& file : {name, std::string(update::kProbeName), std::string(update::kSwapName)}) {
        const std::string installed = update::InFolder(folder, file);
        const std::string copy = update::InFolder(copyFolder, file);
        if (::access(installed.c_str(), R_OK) == 0 && NeedsSeed(installed, copy, name, file == name) &&
            !CopyInto(installed, copy))
            return Refuse("프로그램을 이 계정의 폴더로 복사할 수 없습니다: " + copy + " (" + std::strerror(errno) +
                          ")");
        if (::access(copy.c_str(), F_OK) != 0) continue;  // a tool the installation lacks: the update brings it
        if (const auto open = platform::ChangeableByOthers(copy, account))
            return Refuse(OthersMayChangeMessage("이 계정의 프로그램을", *open));
    }

    const std::string program = update::InFolder(copyFolder, name);
    if (NeedsSeed(runningExecutable, program, name, true))
        return Refuse("이 계정의 프로그램이 손상되었습니다: " + program);
    return {AccountLaunch::Kind::RunCopy, program, {}};
}

std::optional<std::string> ContinueInAccountCopy(char** argv) {
    const AccountLaunch launch = PrepareAccountLaunch(platform::RunningExecutablePath(), ::geteuid());
    if (launch.kind == AccountLaunch::Kind::RunHere) return std::nullopt;
    if (launch.kind == AccountLaunch::Kind::Refused) return launch.message;
    ::execv(launch.copyPath.c_str(), argv);
    return "프로그램을 시작할 수 없습니다: " + launch.copyPath + " (" + std::strerror(errno) + ")";
}

}  // namespace startup
