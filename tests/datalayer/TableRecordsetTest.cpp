#include <gtest/gtest.h>

#include "CustomerDataSource.h"
#include "datalayer/Connection.h"
#include "datalayer/Recordset.h"

using ado::Bytes;
using ado::Recordset;
using ado::Value;
using dltest::CustomerDataSource;
using dltest::ErrorOf;

namespace {

const char* kSampleTable =
    "CREATE TABLE sample (id INT NOT NULL AUTO_INCREMENT PRIMARY KEY, name VARCHAR(40), memo TEXT, "
    "d DATE, dt DATETIME, amount DECIMAL(12,3), f FLOAT, db DOUBLE, b BLOB, lb LONGBLOB, c CHAR(3), "
    "big BIGINT NOT NULL DEFAULT 0, tiny TINYINT, ubig BIGINT UNSIGNED, t TIME, mt MEDIUMTEXT)";

std::shared_ptr<Recordset> OpenTable(const std::shared_ptr<ado::Connection>& connection, const std::string& table,
                                     int cursor = ado::adOpenStatic, int lock = ado::adLockOptimistic) {
    auto rs = std::make_shared<Recordset>();
    rs->Open(table, connection, cursor, lock, ado::adCmdTable);
    return rs;
}

std::string EveryByteTwice() {
    std::string bytes;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

}  // namespace

TEST(TableRecordset, FieldTypesFollowAdosMappingFromOneSource) {
    CustomerDataSource ds;
    ds.Sql(kSampleTable);
    auto connection = ds.Open();
    struct Expected {
        const char* name;
        int type;
        std::int32_t size;
    };
    const Expected expected[] = {
        {"id", ado::adInteger, 10},
        {"name", ado::adVarWChar, 40},
        {"memo", ado::adLongVarWChar, 65535},
        {"d", ado::adDBDate, 10},
        {"dt", ado::adDBTimeStamp, 19},
        {"amount", ado::adNumeric, 12},
        {"f", ado::adSingle, 7},
        {"db", ado::adDouble, 15},
        {"b", ado::adLongVarBinary, 65535},
        {"lb", ado::adLongVarBinary, 2147483647},
        {"c", ado::adWChar, 3},
        {"big", ado::adBigInt, 20},
        {"tiny", ado::adTinyInt, 3},
        {"ubig", ado::adUnsignedBigInt, 19},  // the driver's column size for BIGINT UNSIGNED
        {"t", ado::adDBTime, 8},
        {"mt", ado::adLongVarWChar, 16777215},
    };
    // The same columns are described alike by a table recordset (either cursor) and by a query.
    auto table = OpenTable(connection, "sample");
    auto forward = OpenTable(connection, "sample", ado::adOpenForwardOnly, ado::adLockReadOnly);
    auto query = connection->Execute("SELECT * FROM sample");
    for (const auto* rs : {table.get(), forward.get(), query.get()}) {
        ASSERT_EQ(rs->GetFields().Count(), static_cast<int>(std::size(expected)));
        for (int i = 0; i < rs->GetFields().Count(); ++i) {
            const auto& field = rs->GetFields().Item(i);
            EXPECT_EQ(field.Name(), expected[i].name);
            EXPECT_EQ(field.Type(), expected[i].type) << field.Name();
            EXPECT_EQ(field.DefinedSize(), expected[i].size) << field.Name();
        }
    }
    EXPECT_TRUE(table->GetFields().Item("name").Attributes() & ado::adFldMayBeNull);
    EXPECT_FALSE(table->GetFields().Item("big").Attributes() & ado::adFldMayBeNull);
    EXPECT_TRUE(table->GetFields().Item("memo").Attributes() & ado::adFldLong);
}

TEST(TableRecordset, ValuesArriveAsTheServersTextOrAsNumbers) {
    CustomerDataSource ds;
    ds.Sql(kSampleTable);
    ds.Sql(
        "INSERT INTO sample (id, name, d, dt, amount, f, db, big, tiny, ubig, t) VALUES (42, 'x', '2024-02-29', "
        "'2024-02-29 13:45:01', -12345.678, 3.14, 0.1, -9007199254740993, -5, 18446744073709551615, '-838:59:59')");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "sample", ado::adOpenForwardOnly, ado::adLockReadOnly);
    auto& f = rs->GetFields();
    EXPECT_EQ(f.Item("id").GetValue(), Value(42));
    EXPECT_EQ(f.Item("d").GetValue(), Value("2024-02-29"));
    EXPECT_EQ(f.Item("dt").GetValue(), Value("2024-02-29 13:45:01"));
    EXPECT_EQ(f.Item("amount").GetValue(), Value("-12345.678"));
    // FLOAT holds a single; its text is the column's, not the widened double's digits.
    EXPECT_EQ(f.Item("f").GetValue().Text(), "3.14");
    EXPECT_EQ(f.Item("db").GetValue(), Value(0.1));
    EXPECT_EQ(f.Item("db").GetValue().Text(), "0.1");
    EXPECT_EQ(f.Item("big").GetValue().Text(), "-9007199254740993");
    EXPECT_EQ(f.Item("tiny").GetValue().ToLong(), -5);
    EXPECT_EQ(f.Item("ubig").GetValue(), Value("18446744073709551615"));
    EXPECT_EQ(f.Item("t").GetValue(), Value("-838:59:59"));
    EXPECT_TRUE(f.Item("memo").GetValue().IsNull());
    EXPECT_TRUE(f.Item("b").GetValue().IsNull());
}

TEST(TableRecordset, KoreanTextAndBlobsRoundTripByteForByte) {
    CustomerDataSource ds;
    ds.Sql(kSampleTable);
    // Hangul syllables from both ends of the block, jamo, a supplementary-plane emoji and
    // a long text read in several pieces (a piece may end inside a character).
    const std::string name = "가각 똠방각하 힣 각 🙂 \"'\\";
    std::string memo;
    while (memo.size() < 200000) memo += "누리온Tarn → 누리온Velm 변환 ";
    std::string blob = EveryByteTwice();
    while (blob.size() < 300000) blob += blob.substr(0, 7777);  // NUL bytes throughout, over 64 KiB
    const std::string small = std::string("\0\x01\xff\0", 4);

    auto connection = ds.Open();
    {
        auto rs = OpenTable(connection, "sample");
        rs->AddNew();
        rs->GetFields().Item("name").SetValue(name);
        rs->GetFields().Item("mt").SetValue(memo);
        rs->GetFields().Item("b").SetValue(Bytes{small});
        rs->GetFields().Item("lb").SetValue(Bytes{blob});
        rs->Update();
        rs->Close();
    }
    // What the server holds, seen through the client library rather than ODBC.
    auto stored = ds.Query("SELECT name, mt, b, lb FROM sample");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(*stored[0][0], name);
    EXPECT_EQ(*stored[0][1], memo);
    EXPECT_EQ(*stored[0][2], small);
    EXPECT_EQ(*stored[0][3], blob);

    // And back through the data layer, with both cursors.
    for (int cursor : {ado::adOpenForwardOnly, ado::adOpenStatic}) {
        auto rs = OpenTable(connection, "sample", cursor, ado::adLockReadOnly);
        ASSERT_FALSE(rs->Eof());
        EXPECT_EQ(rs->GetFields().Item("name").GetValue(), Value(name));
        EXPECT_EQ(rs->GetFields().Item("mt").GetValue(), Value(memo));
        EXPECT_EQ(rs->GetFields().Item("b").GetValue(), Value(Bytes{small}));
        const Value& read = rs->GetFields().Item("lb").GetValue();
        ASSERT_TRUE(read.IsBytes());
        EXPECT_TRUE(read.AsBytes().data == blob) << "blob of " << read.AsBytes().data.size() << " bytes differs";
    }
}

TEST(TableRecordset, NullGoesInAndComesOut) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE n (id INT PRIMARY KEY, v VARCHAR(10) DEFAULT 'dflt', d DATE DEFAULT '2000-01-01', "
        "b BLOB, x DOUBLE DEFAULT 1.5)");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "n");
    rs->AddNew();
    rs->GetFields().Item("id").SetValue(1);
    for (const char* column : {"v", "d", "b", "x"}) rs->GetFields().Item(column).SetValue(Value());
    rs->Update();
    EXPECT_EQ(ds.Scalar("SELECT CONCAT_WS(',', ISNULL(v), ISNULL(d), ISNULL(b), ISNULL(x)) FROM n"), "1,1,1,1");

    auto back = OpenTable(connection, "n", ado::adOpenForwardOnly, ado::adLockReadOnly);
    for (const char* column : {"v", "d", "b", "x"}) EXPECT_TRUE(back->GetFields().Item(column).GetValue().IsNull());
    auto null = ErrorOf([&] { (void)back->GetFields().Item("v").GetValue().Text(); });
    EXPECT_EQ(null.number, 94);
    EXPECT_EQ(null.description, "Invalid use of Null");

    // A value put back to Null on an existing row is written as NULL too.
    ds.Sql("INSERT INTO n (id, v) VALUES (2, 'set')");
    auto edit = OpenTable(connection, "n");
    edit->MoveNext();
    edit->GetFields().Item("v").SetValue(Value());
    edit->Update();
    EXPECT_EQ(ds.Scalar("SELECT ISNULL(v) FROM n WHERE id = 2"), "1");
}

TEST(TableRecordset, ZeroDatesReadAsTextAndAreWrittenBack) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE src (id INT PRIMARY KEY, d DATE, dt DATETIME);"
        "CREATE TABLE dst (id INT PRIMARY KEY, d DATE, dt DATETIME);"
        "INSERT INTO src VALUES (1, '0000-00-00', '0000-00-00 00:00:00'), (2, '2023-12-31', NULL)");
    auto connection = ds.Open();
    auto source = OpenTable(connection, "src", ado::adOpenForwardOnly, ado::adLockReadOnly);
    auto target = OpenTable(connection, "dst");
    EXPECT_EQ(source->GetFields().Item("d").GetValue(), Value("0000-00-00"));
    EXPECT_EQ(source->GetFields().Item("dt").GetValue(), Value("0000-00-00 00:00:00"));
    for (; !source->Eof(); source->MoveNext()) {
        target->AddNew();
        for (int i = 0; i < source->GetFields().Count(); ++i) {
            const Value& v = source->GetFields().Item(i).GetValue();
            if (!v.IsNull()) target->GetFields().Item(source->GetFields().Item(i).Name()).SetValue(v);
        }
        target->Update();
    }
    auto rows = ds.Query("SELECT id, d, dt FROM dst ORDER BY id");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0][1], "0000-00-00");
    EXPECT_EQ(*rows[0][2], "0000-00-00 00:00:00");
    EXPECT_EQ(*rows[1][1], "2023-12-31");
    EXPECT_FALSE(rows[1][2].has_value());
}

TEST(TableRecordset, AddNewWritesOnlyAssignedFieldsAndTheRestTakeDefaults) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE orders (seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, ordno INT NOT NULL DEFAULT 7, "
        "unit VARCHAR(20) NOT NULL DEFAULT '개', memo VARCHAR(20), created DATE DEFAULT '1999-09-09')");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "orders");
    EXPECT_TRUE(rs->Eof());
    rs->AddNew();
    rs->GetFields().Item("memo").SetValue("first");
    rs->Update();
    EXPECT_FALSE(rs->Eof());  // the added record is current
    EXPECT_EQ(rs->GetFields().Item("memo").GetValue(), Value("first"));
    rs->AddNew();
    rs->GetFields().Item("ordno").SetValue(3);
    rs->GetFields().Item("unit").SetValue("박스");
    rs->Update();
    rs->AddNew();  // nothing assigned at all
    rs->Update();
    rs->AddNew();
    rs->GetFields().Item("memo").SetValue("fourth");  // same columns as the first: prepared statement reused
    rs->UpdateBatch(ado::adAffectAll);
    rs->AddNew();
    rs->GetFields().Item("memo").SetValue("dropped");
    rs->Close();  // closing drops the record being added

    auto rows = ds.Query("SELECT seq, ordno, unit, memo, created FROM orders ORDER BY seq");
    ASSERT_EQ(rows.size(), 4u);
    const char* expected[4][5] = {{"1", "7", "개", "first", "1999-09-09"},
                                  {"2", "3", "박스", nullptr, "1999-09-09"},
                                  {"3", "7", "개", nullptr, "1999-09-09"},
                                  {"4", "7", "개", "fourth", "1999-09-09"}};
    for (std::size_t r = 0; r < 4; ++r)
        for (std::size_t c = 0; c < 5; ++c) {
            if (expected[r][c])
                EXPECT_EQ(rows[r][c].value_or("NULL"), expected[r][c]) << r << "," << c;
            else
                EXPECT_FALSE(rows[r][c].has_value()) << r << "," << c;
        }
}

TEST(TableRecordset, WalkAndUpdateWritesEachRowBackByItsKey) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE ordbook_d (seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, ordno INT, unit VARCHAR(20), "
        "parentseq INT, note VARCHAR(20));"
        "INSERT INTO ordbook_d (seq, ordno, unit, parentseq, note) VALUES "
        "(10, 1, '57', 57, 'a'), (11, 1, '58', 57, 'b'), (12, 2, '60', 60, 'c')");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "ordbook_d");
    int visited = 0;
    while (!rs->Eof()) {
        auto& f = rs->GetFields();
        if (f.Item("unit").GetValue().ToLong() == f.Item("parentseq").GetValue().ToLong()) {
            f.Item("parentseq").SetValue(f.Item("seq").GetValue());
        } else {
            auto parent =
                connection->Execute("SELECT seq FROM ordbook_d WHERE ordno = " + f.Item("ordno").GetValue().Text() +
                                    " AND unit = '" + f.Item("parentseq").GetValue().Text() + "'");
            f.Item("parentseq").SetValue(parent->GetFields().Item(0).GetValue().ToLong());
        }
        rs->Update();
        rs->MoveNext();
        ++visited;
    }
    EXPECT_EQ(visited, 3);
    auto rows = ds.Query("SELECT seq, parentseq, note FROM ordbook_d ORDER BY seq");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(*rows[0][1], "10");
    EXPECT_EQ(*rows[1][1], "10");
    EXPECT_EQ(*rows[2][1], "12");
    EXPECT_EQ(*rows[1][2], "b");  // columns not assigned are untouched

    // Writing a value the row already holds changes nothing and is no error.
    rs->MoveFirst();
    rs->GetFields().Item("parentseq").SetValue(10);
    rs->Update();
    // A row that has gone since it was read cannot be updated.
    ds.Sql("DELETE FROM ordbook_d WHERE seq = 10");
    rs->GetFields().Item("note").SetValue("gone");
    auto gone = ErrorOf([&] { rs->Update(); });
    EXPECT_EQ(gone.number, -2147217864);
    EXPECT_EQ(gone.description,
              "Row cannot be located for updating. Some values may have been changed since it was last read.");
    rs->CancelUpdate();
}

TEST(TableRecordset, CompositeKeysAndAwkwardTableNamesAreQuoted) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE `price list``s` (`grp` VARCHAR(5), `품번` INT, `가격` INT, PRIMARY KEY (`품번`, `grp`));"
        "INSERT INTO `price list``s` VALUES ('a', 1, 100), ('b', 1, 200), ('a', 2, 300)");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "price list`s");
    for (; !rs->Eof(); rs->MoveNext())
        if (rs->GetFields().Item("grp").GetValue().Text() == "b") {
            rs->GetFields().Item("가격").SetValue(250);
            rs->Update();
        }
    rs->AddNew();
    rs->GetFields().Item("grp").SetValue("c");
    rs->GetFields().Item("품번").SetValue(3);
    rs->Update();
    auto rows = ds.Query("SELECT grp, `품번`, IFNULL(`가격`, 'NULL') FROM `price list``s` ORDER BY `품번`, grp");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(*rows[0][2], "100");
    EXPECT_EQ(*rows[1][2], "250");
    EXPECT_EQ(*rows[2][2], "300");
    EXPECT_EQ(*rows[3][2], "NULL");
}

TEST(TableRecordset, TableWithoutPrimaryKeyTakesNewRowsButRefusesToChangeRows) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE loose (a INT, b VARCHAR(10)); INSERT INTO loose VALUES (1, 'x'), (1, 'x')");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "loose");
    rs->GetFields().Item("b").SetValue("y");
    auto refused = ErrorOf([&] { rs->Update(); });
    EXPECT_EQ(refused.number, -2147467259);
    EXPECT_EQ(refused.description, "Insufficient key column information for updating or refreshing.");
    rs->CancelUpdate();
    rs->AddNew();
    rs->GetFields().Item("a").SetValue(2);
    rs->Update();
    EXPECT_EQ(ds.Scalar("SELECT GROUP_CONCAT(CONCAT(a, IFNULL(b, '-')) ORDER BY a) FROM loose"), "1x,1x,2-");
}

TEST(TableRecordset, ErrorsForMissingFieldsRecordsAndTables) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE one (id INT PRIMARY KEY, v VARCHAR(5)); INSERT INTO one VALUES (1, NULL)");
    auto connection = ds.Open();
    auto rs = OpenTable(connection, "one");
    auto missing = ErrorOf([&] { rs->GetFields().Item("unit"); });
    EXPECT_EQ(missing.number, 3265);
    EXPECT_EQ(missing.description,
              "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    EXPECT_EQ(ErrorOf([&] { rs->GetFields().Item(2); }).number, 3265);
    EXPECT_EQ(ErrorOf([&] { (void)rs->GetFields().Item("v").GetValue().Text(); }).number, 94);
    rs->MoveNext();
    ASSERT_TRUE(rs->Eof());
    auto noRecord = ErrorOf([&] { (void)rs->GetFields().Item("id").GetValue(); });
    EXPECT_EQ(noRecord.number, 3021);
    EXPECT_EQ(noRecord.description,
              "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
              "current record.");
    EXPECT_EQ(ErrorOf([&] { rs->GetFields().Item("v").SetValue("x"); }).number, 3021);

    auto readOnly = OpenTable(connection, "one", ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_EQ(ErrorOf([&] { readOnly->GetFields().Item("v").SetValue("x"); }).number, 3251);

    auto absent = std::make_shared<Recordset>();
    auto driver = ErrorOf([&] {
        absent->Open("no_such_table", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
    });
    EXPECT_EQ(driver.number, -2147467259);
    EXPECT_NE(driver.description.find("Table '" + ds.database() + ".no_such_table' doesn't exist"), std::string::npos)
        << driver.description;
    EXPECT_EQ(absent->State(), ado::adStateClosed);

    // A value the column refuses is the driver's error too, and the record stays pending.
    rs->MoveFirst();
    rs->GetFields().Item("v").SetValue("far too long");
    auto refused = ErrorOf([&] { rs->Update(); });
    EXPECT_EQ(refused.number, -2147467259);
    EXPECT_NE(refused.description.find("Data too long for column 'v'"), std::string::npos) << refused.description;
}

TEST(TableRecordset, TextOptionRunsAQueryAndUnspecifiedOptionsMeanText) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE one (id INT PRIMARY KEY); INSERT INTO one VALUES (5), (6)");
    auto connection = ds.Open();
    auto rs = std::make_shared<Recordset>();
    rs->Open("SELECT COUNT(*) FROM one", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
    EXPECT_EQ(rs->GetFields().Item(0).GetValue().ToLong(), 2);
    rs->Close();
    rs->Open("SELECT id FROM one ORDER BY id DESC", connection, -1, -1, -1);
    EXPECT_EQ(rs->GetFields().Item(0).GetValue(), Value(6));
    // A statement without rows leaves the recordset closed.
    rs->Close();
    rs->Open("DELETE FROM one WHERE id = 5", connection, -1, -1, ado::adCmdText);
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM one"), "1");
}
