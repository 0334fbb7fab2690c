#pragma once
#include <array>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"
#include "conversion/run/RunLedger.h"

// The kind of run a record is of: a copy, a copy of what 실패한 표부터 다시 selected, or the
// verify command.
enum class RunKind { Copy, Retry, Verify };

// "복사", "다시 복사", "검증": the kind as the record's first line and the history list name it.
std::string RunKindText(RunKind kind);

// What a run record names besides the ledger: who ran it, where, and between which databases.
struct RunRecordFacts {
    RunKind kind = RunKind::Copy;
    std::string user;
    std::string computer;
    std::array<std::string, 2> ids, databases, hosts;
};

// The folder of the run records: $XDG_STATE_HOME/누리Tarn_To_누리Velm/runs, by default under
// ~/.local/state. Old records stay there; each is a few lines of text.
std::string RunRecordsFolder();

// An ID as part of a file name: a slash, a control character or a leading dot would
// make it something else.
std::string FileNamePart(const std::string& text);

// This computer's name.
std::string ComputerName();

// Who ran a run, where, between which databases, with which program version, and when it
// started: the head of a run record and of a saved work log.
std::vector<std::string> RunFactsLines(const RunRecordFacts& facts, const std::string& start);

// A table's state as its list row and the record tell it: StateText, except that a table the
// run ended without comparing reads "검증 안 됨 20,000건 복사", not "완료".
std::string TableStateText(const TableOutcome& outcome, const RunStatus& status);

// The first line of a record: the program's name, "작업 기록" and the kind of run.
std::string RecordTitle(RunKind kind);

// A table's comparison as the record lists it: each side's rows and check value, and the
// keys of rows that differ.
std::string CheckText(const TableCheck& check);

// The record of one run as plain UTF-8 text, readable without the program.
std::string RunRecordText(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end);

// Creates, empty and readable by this account only, the record of the run the ledger has
// begun in RunRecordsFolder() (the folder made when missing, private to this account), named
// by the run's start time, its kind and both IDs ("20261209-140307_복사_tarnid_velmid.txt"); returns its
// path. Throws std::runtime_error when it cannot be made.
std::string NewRunRecordPath(const RunRecordFacts& facts, const RunLedger& ledger);

// Writes a record's text at `path` (mode 0600), replacing what it held, and pushes it to
// the disk. Throws std::runtime_error.
void WriteRecordFile(const std::string& path, const std::string& text);
