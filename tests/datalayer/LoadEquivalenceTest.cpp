// The stored bytes do not depend on the way rows go: for each source column type and each
// target type a customer schema holds for it, hostile values copied through LOAD DATA,
// through array-bound INSERTs and by the server's own INSERT ... SELECT are compared with
// HEX() row by row. A value the server refuses is refused by both copies as well.
#include <gtest/gtest.h>

#include "CustomerDataSource.h"
#include "datalayer/ColumnRules.h"
#include "datalayer/Recordset.h"

using ado::Recordset;
using dltest::CustomerDataSource;
using testsupport::Row;

namespace {

struct TypeCase {
    std::string source;
    std::vector<std::string> values;  // SQL literals
    std::vector<std::string> targets;
};

const std::string kText[] = {"''", "'a  '", "'\\\\N'", "'NULL'", "'\\t\\n\\r\\\\'", "CHAR(0)", "'😀한'", "NULL"};
const std::string kAllBytes = "UNHEX('" + [] {
    std::string hex;
    for (int b = 0; b < 256; ++b) hex += "0123456789ABCDEF"[b >> 4], hex += "0123456789ABCDEF"[b & 15];
    return hex;
}() + "')";

std::vector<std::string> With(std::vector<std::string> values, std::initializer_list<std::string> more) {
    values.insert(values.end(), more);
    return values;
}

const std::vector<TypeCase>& Cases() {
    const std::vector<std::string> text(std::begin(kText), std::end(kText));
    const std::vector<std::string> ints = {"TINYINT",       "SMALLINT", "INT",        "BIGINT",
                                           "DECIMAL(25,5)", "DOUBLE",   "VARCHAR(30)"};
    static const std::vector<TypeCase> cases = {
        {"TINYINT", {"-128", "127", "0", "NULL"}, With(ints, {"YEAR", "BIT(16)", "TINYINT UNSIGNED"})},
        {"TINYINT UNSIGNED", {"0", "255", "7"}, With(ints, {"BIT(8)"})},
        {"SMALLINT", {"-32768", "32767", "0", "7"}, With(ints, {"YEAR", "SMALLINT UNSIGNED"})},
        {"SMALLINT UNSIGNED", {"0", "65535"}, ints},
        {"MEDIUMINT", {"-8388608", "8388607"}, With(ints, {"MEDIUMINT UNSIGNED"})},
        {"MEDIUMINT UNSIGNED", {"0", "16777215"}, ints},
        {"INT", {"-2147483648", "2147483647", "0", "7"}, With(ints, {"BIT(16)", "DATE", "INT UNSIGNED"})},
        {"INT UNSIGNED", {"0", "4294967295"}, With(ints, {"BIGINT UNSIGNED"})},
        {"BIGINT", {"-9223372036854775808", "9223372036854775807", "0"}, With(ints, {"BIGINT UNSIGNED"})},
        {"BIGINT UNSIGNED", {"0", "18446744073709551615"}, {"BIGINT UNSIGNED", "DECIMAL(25,0)", "BIGINT"}},
        {"DECIMAL(20,6)",
         {"0", "0.5", "-0.5", "2.5", "99999999999999.999999", "-0.000001"},
         {"DECIMAL(20,6)", "DECIMAL(10,2)", "INT", "DOUBLE", "VARCHAR(40)"}},
        {"FLOAT",
         {"0", "0.5", "-0.5", "4.5", "3.4028234663852886e38", "-3.4028234663852886e38", "1.17549435e-38", "16777216",
          "3.3", "1e-45"},
         {"FLOAT", "DOUBLE", "BIGINT", "DECIMAL(60,10)"}},
        {"DOUBLE",
         {"0", "2.5", "-0.5", "0.1", "0.30000000000000004", "1e308", "-1.7976931348623157e308", "4.9e-324"},
         {"DOUBLE", "INT", "FLOAT", "DECIMAL(30,10)", "TEXT"}},
        {"BIT(1)", {"b'0'", "b'1'"}, {"BIT(1)", "BIT(8)", "TINYINT"}},
        {"BIT(8)", {"b'00110001'", "0", "255"}, {"BIT(8)", "BIT(16)"}},
        {"BIT(64)", {"0", "1", "18446744073709551615"}, {"BIT(64)"}},
        {"YEAR", {"0", "'0000'", "1901", "2155", "'00'"}, {"YEAR", "SMALLINT"}},
        {"DATE", {"'0000-00-00'", "'1000-01-01'", "'9999-12-31'", "'2020-02-29'"}, {"DATE", "DATETIME", "VARCHAR(10)"}},
        {"TIME(6)",
         {"'-838:59:59'", "'838:59:59'", "'00:00:00.5'", "'12:34:56.789012'"},
         {"TIME(6)", "TIME", "VARCHAR(20)"}},
        {"DATETIME(6)",
         {"'0000-00-00 00:00:00'", "'9999-12-31 23:59:59.999999'", "'2020-01-01 00:00:00.5'"},
         {"DATETIME(6)", "DATETIME", "DATE", "TIMESTAMP(6)"}},
        {"TIMESTAMP",
         {"'1970-01-01 00:00:01'", "'2038-01-19 03:14:07'", "'0000-00-00 00:00:00'"},
         {"TIMESTAMP", "DATETIME"}},
        {"CHAR(10)", text, {"CHAR(10)", "VARCHAR(20)", "TEXT"}},
        {"VARCHAR(300)", With(text, {"REPEAT('가', 300)"}), {"VARCHAR(300)", "TEXT", "VARBINARY(1200)", "BLOB"}},
        {"TEXT", With(text, {"REPEAT('나', 20000)"}), {"TEXT", "MEDIUMTEXT", "VARCHAR(300)"}},
        {"BINARY(4)", {"''", "CHAR(0)", "UNHEX('FF00')", "UNHEX('5C090A0D')"}, {"BINARY(4)", "VARBINARY(10)", "BLOB"}},
        {"LONGBLOB",
         {"''", "NULL", "CHAR(0)", kAllBytes, "UNHEX('5C4E')", "REPEAT(" + kAllBytes + ", 62500)"},
         {"LONGBLOB", "VARBINARY(300)", "MEDIUMBLOB"}},
        {"ENUM('a','b','')", {"'a'", "''", "'b'"}, {"ENUM('a','b','')", "VARCHAR(5)"}},
        {"SET('a','b')", {"''", "'a,b'", "'b'"}, {"SET('a','b')", "VARCHAR(5)"}},
        {"JSON", {"'{\"a\": 1}'", "'[]'", "'\"\\\\u0000\"'"}, {"JSON", "TEXT"}},
    };
    return cases;
}

// Copies the source rows with these ids (all of them when `only` is empty) through a
// batch recordset, every field assigned; the error raised, or "".
std::string Copy(const std::shared_ptr<ado::Connection>& connection, const std::string& table,
                 const std::vector<int>& ids, std::size_t* loaded = nullptr) {
    try {
        Recordset from, to;
        from.Open("s", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        to.Open(table, connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
        for (; !from.Eof(); from.MoveNext()) {
            if (std::find(ids.begin(), ids.end(), from["id"].GetValue().ToLong()) == ids.end()) continue;
            to.AddNew();
            to["id"].SetValue(from["id"].GetValue());
            to["v"].SetValue(from["v"].GetValue());
            to.Update();
        }
        to.UpdateBatch();
        if (loaded) *loaded = to.RowsLoaded();
    } catch (const VbError& e) {
        return e.description();
    }
    return "";
}

// Verification forms the source and a faithful copy alike, value for value; a cell changed
// to another row's value no longer matches its source.
void ExpectVerifiedAlike(const CustomerDataSource& ds, ado::Connection& connection, const std::string& copy,
                         const std::vector<int>& taken, const std::vector<Row>& stored) {
    const auto column = [&](const std::string& table) { return ado::ReadColumnTypes(connection, table).at(1); };
    const std::optional<ado::ValueForms> forms = ado::CopiedValueForms(column("s"), column(copy));
    ASSERT_TRUE(forms);
    std::string ids;
    for (int id : taken) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    const auto formed = [&](const std::string& table, const std::string& form) {
        return ds.Query("SELECT id, ISNULL(" + form + "), " + form + " FROM " + table + " t WHERE id IN (" + ids +
                        ") ORDER BY id");
    };
    const std::vector<Row> source = formed("s", forms->source);
    EXPECT_EQ(formed(copy, forms->target), source);
    const auto other = std::find_if(stored.begin(), stored.end(), [&](const Row& r) { return r[1] != stored[0][1]; });
    if (other == stored.end()) return;
    ds.Sql("UPDATE " + copy + " c JOIN r" + copy.substr(1) + " r ON r.id = " + *(*other)[0] +
           " SET c.v = r.v WHERE c.id = " + *stored[0][0]);
    EXPECT_NE(formed(copy, forms->target).at(0), source.at(0));
}

}  // namespace

TEST(LoadEquivalence, LoadArraysAndTheServersCopyStoreTheSameBytes) {
    CustomerDataSource ds;
    auto bulk = ds.Open();
    auto arrays = ds.Open();
    arrays->SetBulkLoad(false);
    int pair = 0;
    for (const TypeCase& c : Cases()) {
        ds.Sql("DROP TABLE IF EXISTS s; CREATE TABLE s (id INT PRIMARY KEY, v " + c.source + ") ENGINE=InnoDB");
        std::vector<int> ids;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            ds.Sql("INSERT INTO s VALUES (" + std::to_string(i + 1) + ", " + c.values[i] + ")");
            ids.push_back(static_cast<int>(i + 1));
        }
        for (const std::string& target : c.targets) {
            SCOPED_TRACE(c.source + " -> " + target);
            const std::string n = std::to_string(++pair);
            for (const char* side : {"b", "a", "r"})
                ds.Sql(std::string("CREATE TABLE ") + side + n + " (id INT PRIMARY KEY, v " + target +
                       ") ENGINE=InnoDB");
            // The server's own copy, row by row under the copy's strict mode.
            std::vector<int> taken, refused;
            for (int id : ids) {
                try {
                    ds.Sql("SET SESSION sql_mode = CONCAT(@@sql_mode, ',STRICT_ALL_TABLES'); INSERT INTO r" + n +
                           " SELECT * FROM s WHERE id = " + std::to_string(id));
                    taken.push_back(id);
                } catch (const std::exception&) {
                    refused.push_back(id);
                }
            }
            std::size_t loaded = 0;
            EXPECT_EQ(Copy(bulk, "b" + n, taken, &loaded), "");
            EXPECT_EQ(Copy(arrays, "a" + n, taken), "");
            EXPECT_EQ(loaded, taken.size());
            for (int id : refused) {
                SCOPED_TRACE("refused row " + std::to_string(id));
                EXPECT_NE(Copy(bulk, "b" + n, {id}), "");
                EXPECT_NE(Copy(arrays, "a" + n, {id}), "");
            }
            const auto rows = [&](const char* side) {
                return ds.Query(std::string("SELECT id, IF(LENGTH(v) > 300, CONCAT(LENGTH(v), MD5(v)), HEX(v)) FROM ") +
                                side + n + " ORDER BY id");
            };
            const std::vector<Row> reference = rows("r");
            EXPECT_EQ(reference.size(), taken.size());
            EXPECT_EQ(rows("b"), reference);
            EXPECT_EQ(rows("a"), reference);
            if (!taken.empty()) ExpectVerifiedAlike(ds, *bulk, "b" + n, taken, reference);
        }
    }
    EXPECT_TRUE(bulk->BulkLoadRefusal().empty()) << bulk->BulkLoadRefusal();
}
