#include "datalayer/odbc/PacketLimit.h"

#include "common/VbError.h"
#include "datalayer/AdoErrors.h"
#include "datalayer/odbc/Query.h"

namespace ado::odbc {

namespace {
// What a statement carries besides the values: its text and header, and per value a
// type and a length. Generous, so that a row that passes here is not cut off later.
constexpr std::int64_t kStatementBytes = 16 * 1024;
constexpr std::int64_t kBytesPerValue = 16;

std::int64_t SizeOf(const Value& value) {
    if (value.IsText()) return static_cast<std::int64_t>(value.AsText().size());
    if (value.IsBytes()) return static_cast<std::int64_t>(value.AsBytes().data.size());
    return 8;
}
}  // namespace

std::int64_t PacketLimit::Bytes() {
    if (bytes_) return *bytes_;
    const QueryResult answer = RunQuery(dbc_, "SELECT @@SESSION.max_allowed_packet");
    // Unreadable: the smallest limit a server can have had by default.
    bytes_ = answer.rows.empty() || answer.rows[0].empty() || answer.rows[0][0].IsNull()
                 ? 1024 * 1024
                 : std::stoll(answer.rows[0][0].Text());
    return *bytes_;
}

bool PacketLimit::Fits(const Row& values, const std::vector<char>& assigned) {
    std::int64_t total = kStatementBytes;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (assigned[i]) total += kBytesPerValue + SizeOf(values[i]);
    return total <= Bytes();
}

void PacketLimit::Refuse(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<std::size_t>& keyColumns, const Row& values,
                         const std::vector<char>& assigned) {
    std::size_t largest = 0;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (assigned[i] && (!assigned[largest] || SizeOf(values[i]) > SizeOf(values[largest]))) largest = i;
    std::string key;
    for (std::size_t k : keyColumns) {
        if (!key.empty()) key += ", ";
        key += columns[k] + "=" + (assigned[k] && !values[k].IsNull() ? values[k].Text() : std::string("(없음)"));
    }
    if (key.empty()) key = "(기본 키 없음)";
    Raise(vberr::kProviderError, "ado.Recordset",
          "표 " + table + "의 열 " + columns[largest] + "에 넣을 값(" + std::to_string(SizeOf(values[largest])) +
              "바이트)이 대상 서버가 한 번에 받는 크기(max_allowed_packet " + std::to_string(Bytes()) +
              "바이트)보다 커서 저장할 수 없습니다. 원본 행의 키: " + key);
}

}  // namespace ado::odbc
