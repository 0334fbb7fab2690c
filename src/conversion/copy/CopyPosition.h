#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace ado {
class Connection;
}

// Where a failed table's copy stood: the rows its target holds, and the source row after
// them. The source is read in the order of its key and the target keeps exactly the rows
// before a refused one, so that row is the one the target refused.
struct CopyPosition {
    std::int64_t rowsInTarget = -1;  // -1 when the target could not be asked
    std::string nextSourceRow;       // "code = 501 (원본에서 501번째 행)"; "" when unknown
};

// Asks both databases; whatever cannot be found out stays unknown (a lost connection). The
// target's rows are counted in `targetTable` when one is given (the copy beside the table).
CopyPosition FindCopyPosition(ado::Connection& source, ado::Connection& target, const std::string& table,
                              const std::vector<std::string>& key, const std::string& targetTable = {});
