#pragma once
// Internal: a client-library session beside a copy connection that carries its LOAD DATA
// LOCAL statements. The server answers such a statement by asking for a file by name, and
// may ask for any name: this session answers only the name its own statement gave, with
// rows streamed from memory, and refuses every other request. Nothing of the load touches
// the disk.
//
// It keeps the copy connection's guarantees: the same server end (address and port the
// copy connection's socket leads to), account and database, utf8mb4 in all three
// directions, the copy session's sql_mode and time zone, bounded waits, and Cut from any
// thread. It is used only while the copy connection's lock is held, so its statements
// never run beside the copy connection's own.
//
// A refusal that would come again for every load (local infile off on the server, a
// statement it cannot parse, a request for another file, a session that cannot be made
// or checked) ends loads for the rest of the connection's life; Refusal says why, once.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "datalayer/odbc/ConnectionLock.h"
#include "datalayer/odbc/SessionSocket.h"

struct st_mysql;

namespace ado::odbc {

class LoadSession {
public:
    // Produces the load's text a piece at a time; false when there is no more.
    using Feed = std::function<bool(std::string& piece)>;
    // The file name the load statement gives: letters and '-' only, so it stands quoted as it is.
    static constexpr const char* kFileName = "nutv-rows";

    LoadSession();
    ~LoadSession();
    LoadSession(const LoadSession&) = delete;
    LoadSession& operator=(const LoadSession&) = delete;

    // Where the copy connection leads and how it signed in; loads are off without a known end.
    void Prepare(std::optional<SocketPeer> server, std::string password, int connectSeconds, int readWriteSeconds);
    // Ends the session (the copy connection closes); a later Prepare starts afresh.
    void Close() noexcept;
    // From any thread: shuts the session's socket down, as the copy connection's Abort does.
    void Cut();

    // Why loads ended on this connection; empty while they may run.
    std::string Refusal() const;

    // Under the copy connection's lock. Connects and checks the session on first use;
    // false when loads have ended.
    bool Ready(const Dbc& copy);
    // Runs a statement; false when the server refused it (a repeating refusal ends loads).
    bool Run(const std::string& sql);
    // Runs a LOAD DATA LOCAL statement naming kFileName, answered with the feed's text.
    // What the feed raises is raised here once the statement has ended; loads go on.
    bool Load(const std::string& sql, const Feed& feed);
    std::uint64_t AffectedRows();
    // Whether the last statement raised nothing but notes (what INSERTs of the same
    // values note as well); every condition is in view (the session keeps them all).
    bool OnlyNotes();

private:
    struct FileRequest;
    static int OpenFile(void** request, const char* name, void* self);
    static int ReadFile(void* request, char* buffer, unsigned int length);
    static void CloseFile(void* request);
    static int FileError(void* request, char* message, unsigned int length);

    bool Connect(const Dbc& copy);
    // The server for the user: "대상 데이터베이스 서버 <address>" (loads only ever go into the target).
    std::string ServerName() const;
    // The first row of a query's result, each column as text (Null as nullopt).
    std::optional<std::vector<std::optional<std::string>>> FirstRow(const std::string& sql);
    std::string Quote(const std::string& text);
    // Ends loads with the reason, the server's number and text appended when it gave one.
    void End(const std::string& reason, bool withServerText);
    // After a refused statement: ends loads when the same statement would be refused again.
    void Refused();

    mutable std::mutex mutex_;  // guards refusal_ against readers on other threads
    std::string refusal_;
    std::optional<SocketPeer> server_;
    std::string password_;
    int connectSeconds_ = 0;
    int readWriteSeconds_ = 0;
    SessionSocket socket_;
    st_mysql* record_ = nullptr;
    bool connected_ = false;
    std::unique_ptr<FileRequest> request_;
};

}  // namespace ado::odbc
