#pragma once
// Which way rows added in batch mode reach their tables: LOAD DATA for transactional
// tables, array-bound INSERTs otherwise (see Connection::SetBulkLoad).
#include <cstddef>
#include <string>

namespace ado {

// Whether connections made from now on may use LOAD DATA (on unless turned off).
bool BulkLoadByDefault();
void SetBulkLoadByDefault(bool allowed);

// Rows this process has stored in tables of this name with LOAD DATA.
std::size_t BulkLoadedRows(const std::string& table);
void CountBulkLoadedRows(const std::string& table, std::size_t rows);

}  // namespace ado
