// Forward-only table recordsets read the table in key order a chunk at a time; the rows
// and values are those of one whole read, in key order.
#include <gtest/gtest.h>

#include "CustomerDataSource.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

using ado::Recordset;
using ado::Value;
using dltest::CustomerDataSource;

namespace {

std::vector<std::vector<Value>> ReadAll(Recordset& rs) {
    std::vector<std::vector<Value>> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<Value> row;
        row.reserve(static_cast<std::size_t>(rs.GetFields().Count()));
        for (int i = 0; i < rs.GetFields().Count(); ++i) row.push_back(rs.GetFields().Item(i).GetValue());
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::vector<Value>> ReadTable(const std::shared_ptr<ado::Connection>& connection, const std::string& table,
                                          int cursor) {
    Recordset rs;
    rs.Open(table, connection, cursor, ado::adLockReadOnly, ado::adCmdTable);
    return ReadAll(rs);
}

}  // namespace

TEST(ChunkedRead, ManyChunksOfACompositeKeyGiveEveryRowOnceInKeyOrderWithTheSameValues) {
    CustomerDataSource ds;
    // Rows of about 3 KB: a chunk holds some 600 of them, so 4000 rows take several chunks.
    // The rows go in out of key order; every kind of value comes along.
    ds.Sql(
        "CREATE TABLE wide (grp VARCHAR(10) NOT NULL, no INT NOT NULL, d DATE, dt DATETIME, f FLOAT, "
        "db DOUBLE, amount DECIMAL(12,3), name VARCHAR(40), b BLOB, filler TEXT, PRIMARY KEY (grp, no)) "
        "ENGINE=InnoDB;"
        "SET SESSION sql_mode = ''");
    std::string values;
    for (int i = 0; i < 4000; ++i) {
        const int key = (i * 7919) % 4000;
        values += std::string(values.empty() ? "" : ",") + "('g" + std::to_string(key % 3) + "'," +
                  std::to_string(key) + "," + (key % 5 == 0 ? "'0000-00-00'" : "'2021-03-04'") +
                  ",'2021-03-04 05:06:07'," + (key % 9 == 0 ? "NULL" : "3.14") + ",0.1," + "12.345,'한국어 " +
                  std::to_string(key) + "'," + "X'00FF10',REPEAT('x', 3000))";
    }
    ds.Sql("SET SESSION sql_mode = ''; INSERT INTO wide VALUES " + values);
    auto connection = ds.Open();
    const auto forward = ReadTable(connection, "wide", ado::adOpenForwardOnly);
    const auto whole = ReadTable(connection, "wide", ado::adOpenStatic);  // one SELECT, InnoDB: key order
    ASSERT_EQ(forward.size(), 4000u);
    EXPECT_EQ(forward, whole);
    EXPECT_EQ(forward.front()[0], Value("g0"));
    EXPECT_EQ(forward.front()[1], Value(0));
    EXPECT_EQ(forward[0][2], Value("0000-00-00"));  // zero dates survive the chunked read

    // Moving back to the first row of a forward-only recordset reads again from the start.
    Recordset rs;
    rs.Open("wide", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
    for (int i = 0; i < 2500; ++i) rs.MoveNext();
    rs.MoveFirst();
    EXPECT_EQ(ReadAll(rs), forward);

    // A copy loop may take the values of the current row instead of copying them: they
    // are the row's values, the fields then read Null, and going back reads them again.
    rs.MoveFirst();
    for (int i = 0; i < rs.GetFields().Count(); ++i) EXPECT_EQ(rs[i].TakeValue(), forward[0][i]);
    EXPECT_TRUE(rs[9].GetValue().IsNull());
    rs.MoveFirst();
    EXPECT_EQ(rs[9].GetValue(), forward[0][9]);
}

TEST(ChunkedRead, TablesWithoutAKeyThatCarriesOrderAreReadWholeInTheServersOrder) {
    CustomerDataSource ds;
    // No key; a key on a nullable column; an ENUM key (sorted by position, compared as
    // text); a DECIMAL key. Each is read in one SELECT and gives all its rows.
    ds.Sql(
        "CREATE TABLE nokey (a INT, b VARCHAR(5)) ENGINE=MyISAM;"
        "CREATE TABLE nullable (a INT UNIQUE, b VARCHAR(5));"
        "CREATE TABLE enumkey (e ENUM('z','a','m') NOT NULL PRIMARY KEY, b INT);"
        "CREATE TABLE deckey (d DECIMAL(10,2) NOT NULL PRIMARY KEY, b INT)");
    for (const char* table : {"nokey", "nullable", "enumkey", "deckey"}) {
        const std::string insert = std::string("INSERT INTO ") + table + " VALUES ";
        if (std::string(table) == "enumkey")
            ds.Sql(insert + "('m',1),('z',2),('a',3)");
        else if (std::string(table) == "deckey")
            ds.Sql(insert + "(2.5,1),(0.1,2),(10,3)");
        else
            ds.Sql(insert + "(3,'c'),(1,'a'),(NULL,'n'),(2,'b')");
    }
    auto connection = ds.Open();
    for (const char* table : {"nokey", "nullable", "enumkey", "deckey"}) {
        SCOPED_TRACE(table);
        auto query = connection->Execute(std::string("SELECT * FROM ") + table);
        EXPECT_EQ(ReadTable(connection, table, ado::adOpenForwardOnly), ReadAll(*query));
    }
    EXPECT_EQ(ReadTable(connection, "enumkey", ado::adOpenForwardOnly).size(), 3u);
}

TEST(ChunkedRead, ShortColumnsOfEveryKindReadAsOneWholeReadGivesThem) {
    CustomerDataSource ds;
    // Rows holding every kind of short value, inserted in reverse key order, over more
    // than one chunk.
    ds.Sql(
        "CREATE TABLE short_cols (id BIGINT NOT NULL PRIMARY KEY, t TINYINT, u INT UNSIGNED, ub BIGINT UNSIGNED, "
        "d DATE, dt DATETIME(6), tm TIME, f FLOAT, db DOUBLE, amount DECIMAL(14,4), c CHAR(3), "
        "e ENUM('z','a'), name VARCHAR(30), vb VARBINARY(8), bt BIT(1), y YEAR) ENGINE=InnoDB");
    std::string values;
    for (int i = 0; i < 3000; ++i) {
        const std::string n = std::to_string(i);
        values += std::string(values.empty() ? "" : ",") + "(" + std::to_string(3000 - i) + "," +
                  (i % 7 ? std::to_string(i % 200 - 100) : "NULL") + "," + n + ",18446744073709551" +
                  std::to_string(100 + i % 500) + "," + (i % 5 ? "'2021-03-04'" : "'0000-00-00'") +
                  ",'2021-03-04 05:06:07.123456','-838:59:59'," + (i % 3 ? "3.14" : "NULL") + ",0.1," +
                  "-1234567890.1234,'ab','a','이름 " + n + "',X'00FF" + (i % 2 ? "10" : "") + "'," +
                  (i % 2 ? "b'1'" : "b'0'") + ",2024)";
    }
    ds.Sql("SET SESSION sql_mode = ''; INSERT INTO short_cols VALUES " + values);
    // A column full of 4-byte characters is as long as a short column's text gets.
    const std::string fullOfFourByteCharacters = [] {
        std::string text;
        for (int i = 0; i < 30; ++i) text += "\xF0\x9F\x98\x80";
        return text;
    }();
    ds.Sql("UPDATE short_cols SET name = '" + fullOfFourByteCharacters + "' WHERE id = 2");
    auto connection = ds.Open();
    const auto forward = ReadTable(connection, "short_cols", ado::adOpenForwardOnly);
    ASSERT_EQ(forward.size(), 3000u);
    EXPECT_EQ(forward, ReadTable(connection, "short_cols", ado::adOpenStatic));
    EXPECT_EQ(forward[0][0], Value(1));
    EXPECT_EQ(forward[0][4], Value("2021-03-04"));
    EXPECT_EQ(forward[0][7], Value(3.14));
    EXPECT_EQ(forward[1][12], Value(fullOfFourByteCharacters));
}
