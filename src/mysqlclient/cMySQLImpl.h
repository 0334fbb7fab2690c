#pragma once
// Inside of cMySQL, shared by its source files only: the connection record the object
// owns and the current result.
#include <mysql.h>

#include <cstdint>
#include <memory>
#include <optional>
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

    // The first `length` bytes of `text` escaped for a quoted literal by the rules of the
    // session (see cMySQL::escape_string).
    std::string Escape(const char* text, std::size_t length);

    // Who the connected session is on which server run, read right after connecting;
    // what a reconnect needs to tell whether the lost session is still ours.
    struct SessionOrigin {
        unsigned long thread = 0;
        std::string user;
        std::optional<std::int64_t> serverStart;  // Unix seconds; unknown when unreadable
    };
    SessionOrigin origin;

    MYSQL record{};
    State state = State::Closed;
    // Why the options of the record were not all taken ("" when they were): a record the
    // library did not set up as asked (local files off, TLS) is never connected.
    std::string refusedOptions;
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

// The start of the server run the record is connected to, in Unix seconds (the clock
// and the uptime are read together; the pair may differ by one second between reads).
std::optional<std::int64_t> ServerStart(MYSQL* record);
// Whether the session `lost` still runs as ours: the record is connected to the same
// server run (start within a second) and the thread of that id belongs to the same
// account. Thread ids start again from 1 when a server restarts, so after a restart the
// id may name someone else's session, or the record's own new one.
bool StillOurs(MYSQL* record, const cMySQL::Impl::SessionOrigin& lost, const cMySQL::Impl::SessionOrigin& now);

// A 64-bit count read as the signed value of its low 32 bits.
inline std::int32_t Narrow(std::uint64_t count) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(count));
}
}  // namespace mysqlclient
