#pragma once
// Internal: a named pipe in a private folder of its own, through which a thread of its own
// streams text to a reader that opens the pipe by its path (the driver, for LOAD DATA LOCAL
// INFILE). Nothing touches the disk but the pipe's name.
//
// The writing thread opens the pipe and so waits for a reader. Should the reader stop
// early or never come, Finish opens the pipe and reads what is left itself, so the
// writing thread always ends.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace ado::odbc {

class RowPipe {
public:
    // Produces the text in pieces: calls `write` with each piece, in order.
    using Producer = std::function<void(const std::function<void(const std::string&)>& write)>;

    // Raises when no pipe can be made (the caller then loads another way).
    RowPipe();
    ~RowPipe();
    RowPipe(const RowPipe&) = delete;
    RowPipe& operator=(const RowPipe&) = delete;

    // The pipe's path: letters, digits and "/._-" only, so it can stand in a quoted SQL
    // text as it is.
    const std::string& Path() const { return path_; }

    // Starts streaming one text; the reader sees its end when the producer is done.
    void Start(Producer producer);
    // Waits for the stream started last to end, reading what the reader left.
    void Finish();

private:
    std::string folder_;
    std::string path_;
    std::thread writer_;
    std::shared_ptr<std::atomic<bool>> written_;  // the writer has closed its end
};

}  // namespace ado::odbc
