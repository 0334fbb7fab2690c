#include "conversion/copy/CopyPosition.h"

#include <exception>

#include "conversion/NumbersAndTimes.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"
#include "datalayer/odbc/SqlText.h"

using ado::odbc::QuoteIdentifier;

CopyPosition FindCopyPosition(ado::Connection& source, ado::Connection& target, const std::string& table,
                              const std::vector<std::string>& key, const std::string& targetTable) {
    CopyPosition position;
    try {
        const auto count =
            target.Execute("SELECT COUNT(*) FROM " + QuoteIdentifier(targetTable.empty() ? table : targetTable));
        position.rowsInTarget = std::stoll(count->GetFields().Item(0).GetValue().Text());
    } catch (const std::exception&) {
        return position;
    }
    const std::string ordinal = "원본에서 " + GroupDigits(position.rowsInTarget + 1) + "번째 행";
    if (key.empty()) {
        position.nextSourceRow = ordinal + " (키가 없는 테이블)";
        return position;
    }
    std::string columns;
    for (const std::string& column : key) columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(column);
    try {
        const auto row = source.Execute("SELECT " + columns + " FROM " + QuoteIdentifier(table) + " ORDER BY " +
                                        columns + " LIMIT 1 OFFSET " + std::to_string(position.rowsInTarget));
        if (row->Eof()) return position;  // every source row went in: the failure came after them
        std::string values;
        for (std::size_t i = 0; i < key.size(); ++i)
            values += (i ? ", " : "") + key[i] + " = " + row->GetFields().Item(static_cast<int>(i)).GetValue().Text();
        position.nextSourceRow = values + " (" + ordinal + ")";
    } catch (const std::exception&) {
        position.nextSourceRow = ordinal;
    }
    return position;
}
