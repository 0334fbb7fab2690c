#pragma once
#include <string>
#include <vector>

namespace ado {
class Connection;
}

// A big table's plain secondary keys are built once its rows are in, in one sorted pass,
// rather than kept up row by row as the rows arrive: its shadow is made without them and
// gains them before it is verified. Unique keys stay on, so a duplicate is still refused
// at its own row.
struct LateKeys {
    std::vector<std::string> names;    // in the order the table declares them
    std::vector<std::string> clauses;  // "KEY `name` (`a`(10),`b` DESC)", likewise

    bool Empty() const { return names.empty(); }
};

// The table's non-unique keys when every one is a plain BTREE key that can be declared
// again exactly as SHOW CREATE TABLE shows it (no comment, no IGNORED, no USING, ...);
// none otherwise, and the table keeps its keys during the copy. `definition` is the table's
// SHOW CREATE TABLE text.
LateKeys PlainSecondaryKeys(ado::Connection& target, const std::string& table, const std::string& definition);

// Takes the keys off the shadow, while it is still empty.
void TakeOffKeys(ado::Connection& target, const std::string& shadow, const LateKeys& keys);

// Declares them on the shadow again, all in one ALTER TABLE.
void BuildKeys(ado::Connection& target, const std::string& shadow, const LateKeys& keys);
