#pragma once
// Which way rows added in batch mode reach their tables: LOAD DATA for transactional
// tables, array-bound INSERTs otherwise (see Connection::SetBulkLoad).

namespace ado {

// Whether connections made from now on may use LOAD DATA (on unless turned off).
bool BulkLoadByDefault();
void SetBulkLoadByDefault(bool allowed);

}  // namespace ado
