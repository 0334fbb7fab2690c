#pragma once
// Inside of cMySQL, shared by its source files only: the connection record the object
// owns and the current result.
#include <mysql.h>

#include <cstdint>
#include <memory>
#include <string>

#include "mysqlclient/cMySQL.h"

struct ResultFree {
    void operator()(MYSQL_RES* result) const { mysql_free_result(result); }
};
using ResultPtr = std::unique_ptr<MYSQL_RES, ResultFree>;

struct cMySQL::Impl {
    // Where the record stands. libmariadb allocates inside the record at mysql_init and
    // forgets its options after a failed connect, so a record is initialised afresh for
    // every connect attempt after the first and closed whenever it was initialised.
    enum class State { Closed, Fresh, Connected, Failed };

    Impl();
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    // The record for a library call; initialises a closed one first, so the library is
    // never handed a closed record. Raises 512 "cMysql::Initialize" when that fails.
    MYSQL* Record();
    // The record ready for a connect attempt: freshly initialised with utf8mb4.
    MYSQL* RecordForConnect();
    // Releases everything the library holds in the record (closing a connection).
    void Close();

    // Raises the record's pending error: the number is read first, then the text.
    [[noreturn]] void RaiseLibraryError(const char* source);

    MYSQL record{};
    State state = State::Closed;
    // The current result is freed before the record is closed (see ~Impl).
    ResultPtr current;
};

namespace mysqlclient {
// The description of the classic "Invalid procedure call or argument" error (5), raised
// for arguments the library cannot take safely (an embedded NUL, a length past the text).
inline constexpr std::int32_t kInvalidArgument = 5;
inline constexpr const char* kInvalidArgumentText = "Invalid procedure call or argument";

// The text as a NUL-terminated byte string for the library. A NUL inside it would
// silently cut the text short there, so that raises 5 with the given source instead.
const char* CString(const std::string& text, const char* source);

// A 64-bit count read as the signed value of its low 32 bits.
inline std::int32_t Narrow(std::uint64_t count) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(count));
}
}  // namespace mysqlclient
