#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "conversion/run/RunEvents.h"

namespace ado {
class Connection;
}

// One table of a customer database as the run needs to know it before it changes anything.
struct TableShape {
    struct Column {
        std::string name;
        bool mustBeGiven = false;                   // NOT NULL without a default, not filled by the server itself
        bool computed = false;                      // the server computes it (GENERATED ALWAYS AS)
        std::string dataType;                       // "varchar", "int", ... (lower case)
        std::string columnType;                     // "varchar(5)", "int(10) unsigned", ...
        std::int64_t maxChars = -1, maxBytes = -1;  // a text's limits; -1 for other types
        int precision = -1, scale = -1;             // a number's digits; -1 for other types
        std::vector<std::string> uniqueKeys;        // the unique keys (PRIMARY included) it is part of
    };
    std::vector<Column> columns;      // in table order
    std::vector<std::string> key;     // the primary key's columns, in key order
    std::int64_t estimatedRows = 0;   // the server's estimate, for the time left
    std::int64_t estimatedBytes = 0;  // the space its data and indexes take, likewise
};
using SchemaShapes = std::map<std::string, TableShape>;

// Every table of the connection's database, read in one exchange with the server.
SchemaShapes ReadSchemaShapes(ado::Connection& connection);

// The check of the selected tables before a run changes anything: one exchange with each
// server. Besides the problems, what the run uses later: each table's estimated rows (in the
// order of the tables) and its primary key in the source; and notes that stop nothing, one
// Korean line each: the target columns the server computes, which are neither written nor
// compared with the source.
struct TablesChecked {
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    std::vector<std::int64_t> estimatedRows, estimatedBytes;
    std::map<std::string, std::vector<std::string>> sourceKeys;
};
TablesChecked CheckTables(ado::Connection& source, ado::Connection& target, const std::vector<RunTable>& tables);

// The message that lists the problems ("시작 전 점검에서 문제를 찾았습니다. ...").
std::string CheckProblemsMessage(const std::vector<std::string>& problems);

// Whether a source column's values go into the target column of that name (the order-detail
// table carries its old key into "unit" and drops its own "unit").
bool Fills(const std::string& table, const std::string& sourceColumn, const std::string& targetColumn);

// What stands in the way of copying the tables, one Korean line per problem, every
// table looked at: a table missing on either side, or a target column that must be
// given a value and that no source column fills. Empty when every table can be copied.
std::vector<std::string> StructureProblems(const std::vector<RunTable>& tables, const SchemaShapes& source,
                                           const SchemaShapes& target);
