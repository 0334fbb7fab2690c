#include "conversion/checks/TargetRoom.h"

#include "conversion/NumbersAndTimes.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

namespace {

// Whether the server has the table at all (its plugin may not be loaded).
constexpr const char* kDisksKnown =
    "SELECT COUNT(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = 'information_schema' "
    "AND TABLE_NAME = 'DISKS'";

// The disk mounted deepest on the data folder's path: the one the data files are on. Its
// room is given in kilobytes.
constexpr const char* kFreeOfDataDisk =
    "SELECT Available * 1024 FROM information_schema.DISKS "
    "WHERE CONCAT(TRIM(TRAILING '/' FROM Path), '/') = "
    "LEFT(CONCAT(TRIM(TRAILING '/' FROM @@datadir), '/'), CHAR_LENGTH(TRIM(TRAILING '/' FROM Path)) + 1) "
    "ORDER BY CHAR_LENGTH(Path) DESC LIMIT 1";

}  // namespace

std::optional<std::int64_t> TargetFreeBytes(ado::Connection& target) {
    if (target.Execute(kDisksKnown)->GetFields().Item(0).GetValue().ToLong() == 0) return std::nullopt;
    const auto rows = target.Execute(kFreeOfDataDisk);
    if (rows->Eof() || rows->GetFields().Item(0).GetValue().IsNull()) return std::nullopt;
    return std::stoll(rows->GetFields().Item(0).GetValue().Text());
}

std::string RoomProblem(ado::Connection& target, std::int64_t needed) {
    if (needed <= 0) return {};
    const std::optional<std::int64_t> free = TargetFreeBytes(target);
    if (!free || needed <= *free) return {};
    return "대상(Velm) 서버의 디스크 공간이 모자랍니다: 선택한 테이블을 옆에 새로 채우려면 " + GroupDigits(needed) +
           "바이트가 필요한데 남은 공간은 " + GroupDigits(*free) + "바이트입니다";
}
