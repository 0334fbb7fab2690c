#include "conversion/copy/TableCopier.h"

#include "conversion/copy/ColumnMapping.h"
#include "datalayer/Recordset.h"

namespace {

// Rows are told to the caller this many at a time (and at the end of the table).
constexpr std::int64_t kRowsPerReport = 256;

// The rows queued before a failure go in; the row being built is dropped.
void SendQueuedRows(ado::Recordset& target) {
    if (target.State() != ado::adStateOpen) return;
    target.CancelUpdate();
    target.UpdateBatch();
}

}  // namespace

std::string CopyOutcome::Path() const {
    if (reused) return "지난 실행에서 검증을 마친 복사본을 그대로 씀";
    if (rows == 0) return {};
    std::string arrays = "배열 INSERT";
    if (loadedRows == 0) return arrays;
    if (loadedRows == rows) return "LOAD DATA";
    return "LOAD DATA " + std::to_string(loadedRows) + "건, " + arrays + " " + std::to_string(rows - loadedRows) + "건";
}

CopyOutcome CopyRows(ado::Recordset& source, ado::Recordset& target, const ColumnMapping& mapping,
                     const CopyFeedback& feedback) {
    CopyOutcome outcome;
    std::int64_t unreported = 0;
    try {
        while (!source.Eof()) {
            feedback.throwIfStopped();
            target.AddNew();
            mapping.CopyRow(source, target);
            feedback.waitingOn(true);
            target.Update();
            feedback.waitingOn(false);
            source.MoveNext();
            ++outcome.rows;
            if (++unreported == kRowsPerReport) {
                feedback.rowsCopied(unreported);
                unreported = 0;
            }
        }
        feedback.waitingOn(true);
        target.UpdateBatch();
    } catch (...) {
        if (unreported > 0) feedback.rowsCopied(unreported);
        if (!feedback.stopped()) SendQueuedRows(target);
        throw;
    }
    if (unreported > 0) feedback.rowsCopied(unreported);
    outcome.loadedRows = static_cast<std::int64_t>(target.RowsLoaded());
    return outcome;
}
