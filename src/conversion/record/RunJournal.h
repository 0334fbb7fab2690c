#pragma once
#include <string>
#include <vector>

#include "conversion/record/RunRecord.h"

// The record of a run while it goes: created when the run starts, with a line added (and
// written through to the disk) as each table starts and ends, then replaced by the whole
// record when the run ends. A run that never ends (killed, a power cut) leaves a record
// that says it did not finish, its last line naming the table it was in.
class RunJournal {
public:
    // Creates the record of the run the ledger has just begun. Throws std::runtime_error.
    void Begin(const RunRecordFacts& facts, const RunLedger& ledger);
    // Adds a line; a record that cannot be written is given up (the end says so).
    void Note(const std::string& line);
    // Replaces the record with the finished run's whole text; returns its path. Without a
    // record begun, writes a new one. Throws std::runtime_error.
    std::string Finish(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end);

private:
    std::string path_;
};

// The records of runs that never finished: each is marked as such, so that it is reported
// once, and told in one line for the work log (its file and the table the run was in).
std::vector<std::string> SettleUnfinishedRuns();
