#include "conversion/run/ShadowTables.h"

#include <cstdint>
#include <cstdio>
#include <set>

#include "datalayer/ColumnRules.h"
#include "datalayer/Connection.h"
#include "datalayer/OdbcError.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

namespace {

using ado::SqlTextLiteral;
using ado::odbc::QuoteIdentifier;

constexpr const char* kShadowPrefix = "nutv_copying__";
constexpr const char* kReplacedPrefix = "nutv_replaced__";
constexpr std::size_t kMaxNameLength = 64;  // the server's limit, in characters

constexpr int kLockWaitTimeout = 1205;
constexpr int kTableExists = 1050;

// The prefix and the table's name; a name too long for both keeps its start and gains a
// digest of the whole, so that two long names never share a shadow.
std::string Reserved(const std::string& prefix, const std::string& table) {
    std::size_t characters = 0;
    for (const char c : table) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    if (prefix.size() + characters <= kMaxNameLength) return prefix + table;
    std::uint32_t hash = 2166136261U;  // FNV-1a
    for (const char c : table) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619U;
    char digest[10];
    std::snprintf(digest, sizeof digest, "_%08x", hash);
    std::string kept;
    for (std::size_t i = 0, taken = 0; i < table.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(table[i]) & 0xC0) != 0x80;
        if (starts && ++taken > kMaxNameLength - prefix.size() - 9) break;
        kept += table[i];
    }
    return prefix + kept + digest;
}

std::vector<std::string> Column(ado::Connection& connection, const std::string& sql) {
    std::vector<std::string> values;
    for (auto rows = connection.Execute(sql); !rows->Eof(); rows->MoveNext()) {
        const ado::Value& value = rows->GetFields().Item(0).GetValue();
        values.push_back(value.IsNull() ? std::string() : value.Text());
    }
    return values;
}

// A multi-table RENAME is atomic, across a crash too, from MariaDB 10.6 and MySQL 8.0 on.
std::string ServerRefusal(const std::string& version) {
    int major = 0, minor = 0;
    if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2) return "서버 버전(" + version + ")을 알 수 없어";
    const bool mariadb = version.find("MariaDB") != std::string::npos;
    const bool atomic = mariadb ? (major > 10 || (major == 10 && minor >= 6)) : major >= 8;
    if (atomic) return {};
    return "대상 서버(" + version + ")가 여러 테이블을 한 번에 바꿔 넣는 일을 안전하게 하지 못해(" +
           (mariadb ? "MariaDB 10.6" : "MySQL 8.0") + " 이상 필요)";
}

// The account's rights on the target database that a swap needs, as the server lists them.
std::string RightsRefusal(ado::Connection& target) {
    const std::string me =
        "CONCAT('''', SUBSTRING(CURRENT_USER(), 1, CHAR_LENGTH(CURRENT_USER()) - "
        "CHAR_LENGTH(SUBSTRING_INDEX(CURRENT_USER(), '@', -1)) - 1), '''@''', SUBSTRING_INDEX(CURRENT_USER(), '@', "
        "-1), '''')";
    const std::vector<std::string> held = Column(
        target,
        "SELECT DISTINCT p.PRIVILEGE_TYPE FROM (SELECT GRANTEE, PRIVILEGE_TYPE FROM information_schema.USER_PRIVILEGES "
        "UNION ALL SELECT GRANTEE, PRIVILEGE_TYPE FROM information_schema.SCHEMA_PRIVILEGES "
        "WHERE DATABASE() LIKE TABLE_SCHEMA) p WHERE p.GRANTEE = " +
            me);
    const std::set<std::string> rights(held.begin(), held.end());
    std::string missing;
    // Without TRIGGER the server hides the tables' triggers, which a swap would lose.
    for (const char* right : {"CREATE", "DROP", "ALTER", "TRIGGER"})
        if (!rights.contains(right)) missing += std::string(missing.empty() ? "" : ", ") + right;
    if (missing.empty()) return {};
    return "대상 DB에 대한 계정 권한(" + missing + ")이 없어";
}

}  // namespace

std::string ShadowName(const std::string& table) {
    return Reserved(kShadowPrefix, table);
}

std::string ReplacedName(const std::string& table) {
    return Reserved(kReplacedPrefix, table);
}

std::vector<std::string> SwapPlan::Lines(const std::vector<RunTable>& tables) const {
    std::vector<std::string> lines;
    for (const RunTable& table : tables) {
        if (Swaps(table.name)) continue;
        const auto reason = inPlace.find(table.name);
        lines.push_back(table.name + ": " + (reason == inPlace.end() ? everyTable : reason->second) +
                        " 새 테이블로 바꿔 넣지 않고 그 자리에서 비운 뒤 복사합니다");
    }
    return lines;
}

SwapPlan PlanSwap(ado::Connection& target, const std::vector<RunTable>& tables) {
    SwapPlan plan;
    const std::vector<std::string> version = Column(target, "SELECT VERSION()");
    plan.everyTable = ServerRefusal(version.empty() ? std::string() : version.front());
    if (plan.everyTable.empty()) plan.everyTable = RightsRefusal(target);
    std::set<std::string> selected;
    for (const RunTable& table : tables) selected.insert(table.name);
    const auto note = [&](const std::string& table, const std::string& reason) {
        if (selected.contains(table)) plan.inPlace.try_emplace(table, reason);
    };
    for (const std::string& table : Column(target,
                                           "SELECT DISTINCT EVENT_OBJECT_TABLE FROM information_schema.TRIGGERS "
                                           "WHERE EVENT_OBJECT_SCHEMA = DATABASE()"))
        note(table, "트리거가 있어(바꿔 넣으면 트리거가 옛 테이블에 남습니다)");
    for (const std::string& table : Column(target,
                                           "SELECT DISTINCT TABLE_NAME FROM information_schema.REFERENTIAL_CONSTRAINTS "
                                           "WHERE CONSTRAINT_SCHEMA = DATABASE()"))
        note(table, "다른 테이블을 가리키는 외래 키가 있어");
    for (const std::string& table :
         Column(target,
                "SELECT DISTINCT REFERENCED_TABLE_NAME FROM information_schema.REFERENTIAL_CONSTRAINTS "
                "WHERE UNIQUE_CONSTRAINT_SCHEMA = DATABASE()"))
        note(table, "다른 테이블의 외래 키가 이 테이블을 가리켜");
    return plan;
}

std::vector<std::string> DropLeftoverShadows(ado::Connection& target, const std::set<std::string>& keep) {
    std::vector<std::string> leftovers;
    for (const char* prefix : {kShadowPrefix, kReplacedPrefix}) {
        const std::string length = std::to_string(std::string(prefix).size());
        for (std::string& table :
             Column(target,
                    "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() AND "
                    "LEFT(TABLE_NAME, " +
                        length + ") = " + SqlTextLiteral(prefix) + " ORDER BY TABLE_NAME"))
            if (!keep.contains(table)) leftovers.push_back(std::move(table));
    }
    for (const std::string& table : leftovers) target.Execute("DROP TABLE IF EXISTS " + QuoteIdentifier(table));
    return leftovers;
}

std::string MakeShadow(ado::Connection& target, const std::string& table) {
    const std::string shadow = QuoteIdentifier(ShadowName(table));
    const std::string like = "CREATE TABLE " + shadow + " LIKE " + QuoteIdentifier(table);
    // The run dropped every shadow it will not use before it began: one still there is
    // dropped only when the CREATE finds it (far from the server each statement costs).
    try {
        target.Execute(like);
    } catch (const ado::OdbcError& e) {
        if (e.nativeError() != kTableExists) throw;
        target.Execute("DROP TABLE " + shadow);
        target.Execute(like);
    }
    // The table's own counter, as SHOW CREATE TABLE gives it (information_schema may answer
    // from statistics kept for a while): emptied by DELETE, the table would have kept it.
    auto shown = target.Execute("SHOW CREATE TABLE " + QuoteIdentifier(table));
    std::string definition = shown->Eof() ? std::string() : shown->GetFields().Item(1).GetValue().Text();
    const std::size_t options = definition.rfind(')');
    const std::size_t at = options == std::string::npos ? options : definition.find(" AUTO_INCREMENT=", options);
    if (at == std::string::npos) return definition;
    const std::size_t digits = at + 16;
    const std::size_t end = definition.find_first_not_of("0123456789", digits);
    const std::string counter = definition.substr(digits, end == std::string::npos ? end : end - digits);
    if (!counter.empty()) target.Execute("ALTER TABLE " + shadow + " AUTO_INCREMENT = " + counter);
    return definition;
}

void DropShadows(ado::Connection& target, const std::vector<std::string>& tables) noexcept {
    try {
        // A session cut by 중지 may hold a shadow until the server notices: not waited for long.
        target.Execute("SET SESSION lock_wait_timeout = " + std::to_string(kSwapLockWaitSeconds));
    } catch (const std::exception&) {
        return;
    }
    for (const std::string& table : tables) {
        try {
            target.Execute("DROP TABLE IF EXISTS " + QuoteIdentifier(ShadowName(table)));
        } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): the next run drops what stays
        }
    }
}

bool SwapInShadows(ado::Connection& target, const std::vector<std::string>& tables) {
    if (tables.empty()) return true;
    std::string renames, drops;
    for (const std::string& table : tables) {
        renames += (renames.empty() ? "" : ", ") + QuoteIdentifier(table) + " TO " +
                   QuoteIdentifier(ReplacedName(table)) + ", " + QuoteIdentifier(ShadowName(table)) + " TO " +
                   QuoteIdentifier(table);
        drops += (drops.empty() ? "" : ", ") + QuoteIdentifier(ReplacedName(table));
    }
    target.Execute("SET @nutv_lock_wait = @@SESSION.lock_wait_timeout, SESSION lock_wait_timeout = " +
                   std::to_string(kSwapLockWaitSeconds));
    try {
        target.Execute("RENAME TABLE " + renames);
    } catch (const ado::OdbcError& e) {
        if (e.nativeError() != kLockWaitTimeout) throw;
        target.Execute("SET SESSION lock_wait_timeout = @nutv_lock_wait");
        return false;
    }
    target.Execute("SET SESSION lock_wait_timeout = @nutv_lock_wait");
    // The new tables are in: an old one that cannot be dropped now is the next run's to drop.
    try {
        target.Execute("DROP TABLE " + drops);
    } catch (const std::exception&) {  // NOLINT(bugprone-empty-catch): left under its reserved name
    }
    return true;
}

std::string TargetInUseMessage(const std::string& database) {
    return "대상(" + database + ")의 테이블을 다른 프로그램이 쓰고 있어(누리온Velm이 열려 있는 것 같습니다) " +
           std::to_string(kSwapLockWaitSeconds) +
           "초 동안 기다렸지만 새 자료로 바꿔 넣지 못했습니다.\r\n대상 데이터베이스는 바뀌지 않았습니다. "
           "누리온Velm을 닫은 뒤 다시 시작하세요.";
}
