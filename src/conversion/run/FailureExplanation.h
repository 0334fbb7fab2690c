#pragma once
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

// What is known of a copy that ended in a table: the error and where the table stood.
struct FailureFacts {
    std::string table;
    bool stopped = false;            // 중지 ended it
    std::int32_t number = 0;         // the error's number
    std::string sqlState;            // the driver's SQLSTATE, "" when not from the driver
    std::int32_t nativeError = 0;    // the server's error number, 0 when none
    std::string description;         // the error's description
    std::string targetDatabase;      // to tell a table missing in the target from one missing in the source
    bool targetTouched = false;      // the target table had been emptied
    std::int64_t rowsInTarget = -1;  // rows the target table holds now; -1 when unknown
    std::string refusedRow;          // the key of the source row the copy stopped at; "" when unknown
};

// Takes the error's number and description, and from the driver its SQLSTATE and the
// server's error number.
void TakeError(FailureFacts& facts, const std::exception_ptr& failure);

// The failure in plain Korean for the staff, one line each: the table, what went wrong,
// the source row, the state of the target table and what to do next.
std::vector<std::string> ExplainFailure(const FailureFacts& facts);

// The same for problems found before anything was changed.
std::vector<std::string> ExplainCheckProblems(const std::vector<std::string>& problems);
