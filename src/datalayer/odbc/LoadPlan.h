#pragma once
// Internal: the columns of one LOAD DATA and its statement, each column in the form the
// column rules (datalayer/ColumnRules.h) give for its values and its type: the text itself
// where the text and the bound value are stored alike, otherwise a load variable converted
// back to the bound kind.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "datalayer/ColumnRules.h"

namespace ado::odbc {

using ado::LoadForm;
using ado::ValueKind;

struct LoadColumn {
    std::size_t index;  // in the writer's columns
    LoadForm form;
    bool everyRow;  // every row assigns it; otherwise rows that do not take its default
};

// The columns of one load in field order, or nullopt when some column's values cannot go
// the way the array path stores them (the batch then goes as arrays). `dataTypes` holds
// the table's columns' DATA_TYPE by lower-case name.
std::optional<std::vector<LoadColumn>> PlanLoad(const std::vector<std::string>& columns,
                                                const std::map<std::string, std::string>& dataTypes,
                                                const std::vector<ValueKind>& kinds, const std::vector<char>& used,
                                                const std::vector<char>& everyRow);

// The LOAD DATA statement for the plan, its separators written as hexadecimal literals so
// that it reads the same under every sql_mode.
std::string LoadStatement(const std::string& fileName, const std::string& quotedTable,
                          const std::vector<std::string>& columns, const std::vector<LoadColumn>& plan);

}  // namespace ado::odbc
