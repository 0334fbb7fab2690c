#include "conversion/run/TargetLock.h"

#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

// The lock's name on the server: the target database's own name (a digest of it when it is
// too long for a lock name), built by the server so no text of ours enters the statement.
constexpr const char* kLockName =
    "IF(CHAR_LENGTH(DATABASE()) <= 56, CONCAT('nutv-to:', DATABASE()), CONCAT('nutv-to:', MD5(DATABASE())))";

std::string FirstValue(ado::Connection& connection, const std::string& sql) {
    auto rows = connection.Execute(sql);
    if (rows->Eof()) return {};
    const ado::Value& value = rows->GetFields().Item(0).GetValue();
    return value.IsNull() ? std::string() : value.Text();
}

}  // namespace

std::optional<std::string> TakeTargetLock(ado::Connection& target) {
    if (FirstValue(target, std::string("SELECT GET_LOCK(") + kLockName + ", 0)") == "1") return std::nullopt;
    // The holder's session, as far as this account may see it.
    auto rows = target.Execute(std::string("SELECT USER, HOST FROM information_schema.PROCESSLIST WHERE ID = "
                                           "IS_USED_LOCK(") +
                               kLockName + ")");
    if (rows->Eof()) return std::string();
    const auto& fields = rows->GetFields();
    return "사용자 " + fields.Item(0).GetValue().Text() + ", 접속 위치 " + fields.Item(1).GetValue().Text();
}

bool HoldsTargetLock(ado::Connection& target) {
    return FirstValue(target, std::string("SELECT IS_USED_LOCK(") + kLockName + ") = CONNECTION_ID()") == "1";
}

TargetLockWatch::TargetLockWatch(std::shared_ptr<ado::Connection> watcher, std::function<void()> lost)
    : watcher_(std::move(watcher)), thread_([this, lost = std::move(lost)] { Wait(lost); }) {}

TargetLockWatch::~TargetLockWatch() {
    ending_ = true;
    watcher_->Abort();
}

void TargetLockWatch::Wait(const std::function<void()>& lost) {
    // Each wait is shorter than the connection's read timeout; 0 means it timed out.
    const std::string wait = std::string("SELECT GET_LOCK(") + kLockName + ", 600)";
    try {
        std::string got;
        while ((got = FirstValue(*watcher_, wait)) == "0" && !ending_) {
        }
        if (got == "1" && !ending_) lost();
    } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): cut at the run's end, or lost with the server;
                                       // the swap checks the lock itself before it goes in
    }
}

std::string TargetBusyMessage(const std::string& database, const std::string& holder) {
    std::string message = "이 고객(" + database + ")은 지금 다른 곳에서 변환 중입니다.";
    message += holder.empty() ? "\r\n(누가 어디서 하는지는 서버가 알려주지 않습니다.)" : "\r\n변환하는 곳: " + holder;
    message += "\r\n\r\n아무것도 바꾸지 않았습니다. 그 작업이 끝난 뒤 다시 시작하세요.";
    return message;
}
