#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ado {
class Connection;
}

// What the comparison of one table found.
struct TableCheck {
    bool match = false;
    std::int64_t sourceRows = 0, targetRows = 0;
    std::string sourceDigest, targetDigest;  // each side's rows digested, order aside
    std::vector<std::string> keys;           // up to 10 rows that differ, by key
    std::vector<std::string> uncompared;     // columns left out, with the reason
    double seconds = 0;
};

// Compares a copied table with its source without moving rows: each server digests its own
// side (a sum of a CRC32 per row, so a doubled row never cancels out) in groups of
// keys; groups that differ are split until the rows that differ are named. Source and
// target may be on different servers; the two sides are digested at the same time. The
// source side reads whatever the source connection sees (its snapshot, when it has one).
class TableVerifier {
public:
    TableVerifier(std::shared_ptr<ado::Connection> source, std::shared_ptr<ado::Connection> target)
        : source_(std::move(source)), target_(std::move(target)) {}

    // The target's rows are read from `targetTable` when one is given (the copy a run fills
    // beside the table), else from the table itself.
    TableCheck Verify(const std::string& table, const std::string& targetTable = {}) const;

private:
    std::shared_ptr<ado::Connection> source_, target_;
};

// "키 a, b" text for a log line or message: the differing keys, or the counts when none.
std::string DifferenceText(const TableCheck& check);
