#include "mysqlclient/ColumnNaming.h"

namespace mysqlclient {

void QualifyDuplicateNames(std::vector<ResultColumn>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        ResultColumn& column = columns[i];
        bool matched = false;
        for (std::size_t j = 0; j < i; ++j) {
            ResultColumn& earlier = columns[j];
            if (earlier.name != column.name) continue;
            if (!earlier.qualified) {
                earlier.name = earlier.table + "." + earlier.name;
                earlier.qualified = true;
            }
            matched = true;
        }
        if (matched) {
            column.name = column.table + "." + column.name;
            column.qualified = true;
        }
    }
}

}  // namespace mysqlclient
