#pragma once
// The copy of one table's rows: read forward-only from the source recordset, written
// column by column as the table's mapping says into the target recordset in batch mode.
// Which way the rows travel (LOAD DATA, array INSERTs, one row at a time to find a
// refused one) is the target recordset's to decide; the outcome says which way they went.
#include <cstdint>
#include <functional>
#include <string>

namespace ado {
class Recordset;
}
class ColumnMapping;

// What the copy of one table did.
struct CopyOutcome {
    std::int64_t rows = 0;        // rows sent to the target
    std::int64_t loadedRows = 0;  // of them, stored by LOAD DATA; the others went as array INSERTs
    bool reused = false;          // no rows sent: a copy an earlier run verified is kept as it is

    // The way the rows went, in the record's words ("LOAD DATA", "배열 INSERT", both with
    // their counts, or the reuse); empty when no rows went.
    std::string Path() const;
};

// What the copy tells its caller as it goes.
struct CopyFeedback {
    std::function<void()> throwIfStopped;               // asked before each row
    std::function<bool()> stopped;                      // asked after a failure
    std::function<void(bool target)> waitingOn;         // the server the next call may wait on
    std::function<void(std::int64_t rows)> rowsCopied;  // rows since its last call
};

// Copies every row of `source` into `target` and sends the queue. On a failure the rows
// whose Update came before it still go in (unless stopped), as they would had each been
// written at once, and the failure is raised; a refused row's error comes first.
CopyOutcome CopyRows(ado::Recordset& source, ado::Recordset& target, const ColumnMapping& mapping,
                     const CopyFeedback& feedback);
