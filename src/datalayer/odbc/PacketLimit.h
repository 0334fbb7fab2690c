#pragma once
// Internal: the largest statement the server takes (its max_allowed_packet). A row that
// cannot fit is refused here by name, before it is sent: the server would end the
// connection on it, and the driver would report only that the server has gone away.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/RecordsetImpl.h"
#include "datalayer/odbc/ConnectionLock.h"

namespace ado::odbc {

class PacketLimit {
public:
    explicit PacketLimit(const Dbc& dbc) : dbc_(dbc) {}

    // The server's limit in bytes, read once.
    std::int64_t Bytes();
    // The limit, read with something else.
    void Know(std::int64_t bytes) { bytes_ = bytes; }
    // Whether the assigned values of the row, with what a statement adds around them,
    // fit in one packet.
    bool Fits(const Row& values, const std::vector<char>& assigned);
    // Raises the refusal of a row that does not fit: the table, the column holding the
    // largest value, its size, the limit, and the row's key (the key columns' values).
    [[noreturn]] void Refuse(const std::string& table, const std::vector<std::string>& columns,
                             const std::vector<std::size_t>& keyColumns, const Row& values,
                             const std::vector<char>& assigned);

private:
    Dbc dbc_;
    std::optional<std::int64_t> bytes_;
};

}  // namespace ado::odbc
