#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "testdata/Schema.h"

// Makes customer databases of either edition on a MariaDB/MySQL server: the tables, then
// generated rows.
namespace testdata {

// The server and the account to reach it with (one that may create databases).
struct Server {
    std::string host;
    std::string user = "root";
    std::string password;
    unsigned port = 3306;
};

// Creates the database when missing (utf8mb4) and creates the edition's tables afresh (an
// existing table of the same name is dropped first): the given ones, or all 80.
void CreateSchema(const Server& server, const std::string& database, Edition edition,
                  const std::vector<std::string>& tables = {});

struct PopulateOptions {
    double sizeFactor = 1.0;
    std::uint64_t seed = 1;
    std::vector<std::string> tables;  // empty: all 80
    std::size_t rowsPerStatement = 1000;
};

struct PopulateResult {
    std::int64_t rows = 0;
    std::vector<std::pair<std::string, std::int64_t>> rowsPerTable;
    double seconds = 0;
};

// Adds the generated rows to the tables (made by CreateSchema; rows already there stay).
// Throws std::runtime_error with the server's message when a statement fails.
PopulateResult Populate(const Server& server, const std::string& database, Edition edition,
                        const PopulateOptions& options = {});

}  // namespace testdata
