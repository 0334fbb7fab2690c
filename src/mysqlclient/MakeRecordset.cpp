// cMySQL::make_recordset: copies the current result into a new in-memory recordset
// whose fields are all text.
#include <vector>

#include "datalayer/Recordset.h"
#include "mysqlclient/ColumnNaming.h"
#include "mysqlclient/cMySQL.h"
#include "mysqlclient/cMySQLImpl.h"

std::shared_ptr<ado::Recordset> cMySQL::make_recordset() {
    auto recordset = std::make_shared<ado::Recordset>();
    MYSQL_RES* result = impl_->current.get();
    const unsigned int fieldCount = mysql_num_fields(result);
    const std::int32_t rowCount = mysqlclient::Narrow(mysql_num_rows(result));

    std::vector<mysqlclient::ResultColumn> columns;
    if (const MYSQL_FIELD* fields = mysql_fetch_fields(result)) {
        for (unsigned int i = 0; i < fieldCount; ++i) {
            // LONGTEXT and LONGBLOB report 4294967295, which reads as -1.
            columns.push_back({cstr_to_string(fields[i].name), cstr_to_string(fields[i].table),
                               mysqlclient::Narrow(fields[i].length), false});
        }
        mysqlclient::QualifyDuplicateNames(columns);
    }
    for (const auto& column : columns)
        recordset->GetFields().Append(column.name, ado::adBSTR, column.width, ado::adFldUnspecified);
    recordset->Open();

    for (std::int32_t row = 1; row <= rowCount; ++row) {
        const MYSQL_ROW cells = mysql_fetch_row(result);
        if (!cells) continue;
        recordset->AddNew();
        // A NULL cell reads as "" like every other null text.
        for (unsigned int c = 0; c < fieldCount; ++c)
            (*recordset)[static_cast<int>(c)].SetValue(cstr_to_string(cells[c]));
    }
    // The recordset stays on its last added record; callers move to the first themselves.
    recordset->UpdateBatch(ado::adAffectAllChapters);
    return recordset;
}
