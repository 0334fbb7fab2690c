#pragma once
#include <array>
#include <string>
#include <vector>

#include "conversion/RunEvents.h"
#include "conversion/RunLedger.h"

// What a run record names besides the ledger: who ran it, where, and between which databases.
struct RunRecordFacts {
    std::string user;
    std::string computer;
    std::array<std::string, 2> ids, databases, hosts;
};

// The folder of the run records: $XDG_STATE_HOME/누리Tarn_To_누리Velm/runs, by default under
// ~/.local/state. Old records stay there; each is a few lines of text.
std::string RunRecordsFolder();

// This computer's name.
std::string ComputerName();

// A table's comparison as the record lists it: each side's rows and digest, and the keys
// of rows that differ.
std::string CheckText(const TableCheck& check);

// The record of one run as plain UTF-8 text, readable without the program.
std::string RunRecordText(const RunRecordFacts& facts, const RunLedger& ledger, const RunEnd& end);

// A free path for the record of the run the ledger has begun, in RunRecordsFolder() (made
// when missing), named by the run's start time and both IDs ("20261209-140307_tarnid_velmid.txt"). Throws
// std::runtime_error when the folder cannot be made.
std::string NewRunRecordPath(const RunRecordFacts& facts, const RunLedger& ledger);

// Writes a record's text at `path`, replacing what it held. Throws std::runtime_error.
void WriteRecordFile(const std::string& path, const std::string& text);
