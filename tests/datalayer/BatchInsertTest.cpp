// Batch mode (adLockBatchOptimistic): many rows per execute with the outcome of one
// INSERT per row. Every case runs the same rows twice, through a batch recordset and
// through a row-at-a-time one (adLockOptimistic) into a twin table, and compares.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CustomerDataSource.h"
#include "datalayer/Connection.h"
#include "datalayer/ConnectionImpl.h"
#include "datalayer/Recordset.h"
#include "support/PrivateServer.h"

using ado::Recordset;
using ado::Value;
using dltest::CustomerDataSource;
using dltest::ErrorOf;

namespace {

// One row to add: the values of the named fields; a field not named is left unassigned.
using NewRow = std::vector<std::pair<std::string, Value>>;

struct Outcome {
    dltest::Raised error;  // the first error raised, if any
    std::vector<testsupport::Row> rows;
    std::size_t loaded = 0;  // rows LOAD DATA stored
};

// Adds the rows to an open recordset, each with AddNew, its fields and Update.
void Add(Recordset& rs, const std::vector<NewRow>& rows) {
    for (const NewRow& row : rows) {
        rs.AddNew();
        for (const auto& [name, value] : row) rs.GetFields().Item(name).SetValue(value);
        rs.Update();
    }
}

// Adds the rows through a recordset with the lock type given, stopping at the first
// error (as the copy run does), then sends what is queued; returns the table afterwards.
Outcome AddRows(const CustomerDataSource& ds, const std::shared_ptr<ado::Connection>& connection,
                const std::string& table, int lock, const std::vector<NewRow>& rows, const std::string& orderBy) {
    Outcome outcome;
    {
        Recordset rs;
        rs.Open(table, connection, ado::adOpenForwardOnly, lock, ado::adCmdTable);
        outcome.error = ErrorOf([&] {
            Add(rs, rows);
            rs.UpdateBatch();
        });
        outcome.loaded = rs.RowsLoaded();
    }
    outcome.rows = ds.Query("SELECT * FROM " + testsupport::SqlIdent(table) + " ORDER BY " + orderBy);
    return outcome;
}

// The twin tables `<name>_b` (batch) and `<name>_r` (row at a time).
void CreateTwins(const CustomerDataSource& ds, const std::string& name, const std::string& definition) {
    ds.Sql("CREATE TABLE " + name + "_b " + definition + "; CREATE TABLE " + name + "_r " + definition);
}

// The table's auto-increment counter.
std::string Counter(const CustomerDataSource& ds, const std::string& table) {
    return ds.Scalar(
        "SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
        "AND TABLE_NAME = '" +
        table + "'");
}

std::vector<NewRow> Numbered(int count, int from = 1) {
    std::vector<NewRow> rows;
    for (int i = from; i < from + count; ++i)
        rows.push_back({{"code", Value(i)}, {"name", Value("n" + std::to_string(i))}});
    return rows;
}

}  // namespace

// Both ways a batch goes to a transactional table: LOAD DATA, and array-bound INSERTs.
constexpr bool kBothPaths[] = {true, false};

TEST(BatchInsert, UnassignedFieldsTakeTheirDefaultsRowByRowAndKeysMatch) {
    for (bool bulk : kBothPaths) {
        SCOPED_TRACE(bulk ? "LOAD DATA" : "arrays");
        CustomerDataSource ds;
        CreateTwins(ds, "lines",
                    "(seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, ordno INT NOT NULL DEFAULT 7, "
                    "unit VARCHAR(20) NOT NULL DEFAULT '개', memo VARCHAR(20), made DATE DEFAULT '1999-09-09', "
                    "amount DECIMAL(10,2) NOT NULL DEFAULT 1.50, ratio DOUBLE, blob_ BLOB, big LONGBLOB) ENGINE=InnoDB "
                    "AUTO_INCREMENT=500");
        std::vector<NewRow> rows;
        for (int i = 0; i < 2600; ++i) {
            NewRow row;
            // Every pattern of assigned fields comes and goes between rows of one batch.
            if (i % 2) row.push_back({"ordno", Value(i)});
            if (i % 3) row.push_back({"unit", Value(i % 5 ? "박스" : "")});
            if (i % 4 == 1) row.push_back({"memo", Value()});  // an assigned Null stays Null
            if (i % 4 == 2) row.push_back({"memo", Value("메모 " + std::to_string(i))});
            if (i % 7 == 0) row.push_back({"made", Value("2020-01-0" + std::to_string(1 + i % 9))});
            if (i % 11 == 0) row.push_back({"amount", Value("12.25")});
            if (i % 13 == 0) row.push_back({"ratio", Value(0.1 * i)});
            if (i % 17 == 0) row.push_back({"blob_", Value(ado::Bytes{std::string("\0\x01\xff\t\n\\N", 7)})});
            // Text the load format must escape, and 4-byte UTF-8.
            if (i % 19 == 0) row.push_back({"memo", Value(std::string("a\tb\nc\\N\0\r😀", 13))});
            if (i == 1234) row.push_back({"seq", Value(9000)});  // an explicit key raises the counter
            if (i == 100) {
                // 16 MiB holding every byte value: it goes in a batch of its own.
                std::string bytes(16 * 1024 * 1024, '\0');
                for (std::size_t b = 0; b < bytes.size(); ++b) bytes[b] = static_cast<char>(b * 7 % 256);
                row.push_back({"big", Value(ado::Bytes{bytes})});
            }
            rows.push_back(row);
        }
        auto connection = ds.Open();
        connection->SetBulkLoad(bulk);
        const Outcome batch = AddRows(ds, connection, "lines_b", ado::adLockBatchOptimistic, rows, "seq");
        const Outcome single = AddRows(ds, connection, "lines_r", ado::adLockOptimistic, rows, "seq");
        EXPECT_EQ(batch.loaded, bulk ? 2600u : 0u);
        EXPECT_EQ(batch.error.number, 0) << batch.error.description;
        ASSERT_EQ(batch.rows.size(), 2600u);
        EXPECT_EQ(batch.rows, single.rows);
        EXPECT_EQ(*batch.rows[0][0], "500");
        EXPECT_EQ(*batch.rows[0][1], "7");  // ordno left out: its default
        EXPECT_EQ(*batch.rows[1][1], "1");
        EXPECT_EQ(*batch.rows[0][2], "개");
        EXPECT_FALSE(batch.rows[1][3].has_value());
        EXPECT_EQ(ds.Scalar("SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                            "AND TABLE_NAME = 'lines_b'"),
                  ds.Scalar("SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() "
                            "AND TABLE_NAME = 'lines_r'"));
        // A transaction the caller opened is not bypassed by a load: the rows go inside it
        // and leave with its rollback.
        connection->Execute("START TRANSACTION");
        EXPECT_EQ(AddRows(ds, connection, "lines_b", ado::adLockBatchOptimistic, {rows[1], rows[2]}, "seq").loaded, 0u);
        connection->Execute("ROLLBACK");
        EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM lines_b"), "2600");
    }
}

TEST(BatchInsert, ARefusedRowAnywhereInABatchKeepsTheRowsBeforeItOnceAndRaisesItsOwnError) {
    // 2,600 rows wide enough that a batch holds 2,008 of them (4 MiB of arrays at 2,088
    // bytes a row): the second batch
    // holds the refused row, at its first row, in its middle or at its last; or the very
    // first row is refused. Each case once per engine and per way of sending.
    struct Case {
        std::size_t row;
        const char* field;
        Value value;
        const char* error;
    };
    const std::vector<Case> cases = {
        {2008, "name", Value("너무 긴 이름입니다"), "Data too long for column 'name' at row 1"},
        {2300, "code", Value(1100), "Duplicate entry '1100'"},
        {2599, "must", Value(), "Column 'must' cannot be null"},
        {0, "latin", Value("한글"), "Incorrect string value"},
    };
    CustomerDataSource ds;
    auto connection = ds.Open();
    int table = 0;
    for (const Case& c : cases) {
        for (const char* engine : {"InnoDB", "MyISAM"}) {
            SCOPED_TRACE(std::string(engine) + " row " + std::to_string(c.row));
            const std::string name = "t" + std::to_string(table++);
            CreateTwins(ds, name,
                        std::string("(seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, code INT NOT NULL UNIQUE, "
                                    "name VARCHAR(5), must INT NOT NULL, latin VARCHAR(9) CHARACTER SET latin1, "
                                    "pad VARCHAR(2100)) ENGINE=") +
                            engine + " AUTO_INCREMENT=100");
            std::vector<NewRow> rows = Numbered(2600);
            for (NewRow& row : rows) {
                row[1].second = Value("ok");
                row.push_back({"must", Value(1)});
                row.push_back({"latin", Value("é")});
                row.push_back({"pad", Value(std::string(2000, 'p'))});
            }
            for (auto& [field, value] : rows[c.row])
                if (field == c.field) value = c.value;
            connection->SetBulkLoad(false);
            const Outcome single = AddRows(ds, connection, name + "_r", ado::adLockOptimistic, rows, "seq");
            EXPECT_EQ(single.error.number, -2147467259);
            EXPECT_NE(single.error.description.find(c.error), std::string::npos) << single.error.description;
            ASSERT_EQ(single.rows.size(), c.row);
            if (c.row > 0) {
                EXPECT_EQ(*single.rows.front()[0], "100");
            }
            // MyISAM has no transaction to load in: it is always sent as arrays.
            for (bool bulk : kBothPaths) {
                if (bulk && std::string(engine) == "MyISAM") continue;
                SCOPED_TRACE(bulk ? "LOAD DATA" : "arrays");
                ds.Sql("TRUNCATE TABLE " + name + "_b; ALTER TABLE " + name + "_b AUTO_INCREMENT=100");
                connection->SetBulkLoad(bulk);
                const Outcome batch = AddRows(ds, connection, name + "_b", ado::adLockBatchOptimistic, rows, "seq");
                EXPECT_EQ(batch.error.number, single.error.number);
                // The same text but for the twin's name.
                std::string text = batch.error.description;
                const std::size_t at = text.find(name + "_b`");
                if (at != std::string::npos) text.replace(at, name.size() + 2, name + "_r");
                EXPECT_EQ(text, single.error.description);
                EXPECT_EQ(batch.rows, single.rows);  // the same rows, values and keys
                // The counter stands at the refused row's key, or past it where one row at
                // a time used that key up.
                const std::string counter = Counter(ds, name + "_b");
                EXPECT_TRUE(counter == Counter(ds, name + "_r") || counter == std::to_string(100 + c.row)) << counter;
                // The first batch went whole by LOAD DATA; the one with the refused row not.
                EXPECT_EQ(batch.loaded, bulk && c.row >= 2008 ? 2008u : 0u);
            }
        }
    }
}

TEST(BatchInsert, ADuplicateKeyMidBatchOnBothEnginesEndsLikeOneRowAtATime) {
    CustomerDataSource ds;
    for (const char* engine : {"InnoDB", "MyISAM"}) {
        SCOPED_TRACE(engine);
        const std::string name = std::string("d_") + engine;
        CreateTwins(ds, name,
                    std::string("(seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, code INT NOT NULL UNIQUE, "
                                "name VARCHAR(20)) ENGINE=") +
                        engine);
        std::vector<NewRow> rows = Numbered(1300);
        rows[1150][0].second = Value(1100);  // the same code as row 1100: refused
        auto connection = ds.Open();
        const Outcome single = AddRows(ds, connection, name + "_r", ado::adLockOptimistic, rows, "seq");
        EXPECT_NE(single.error.description.find("Duplicate entry '1100'"), std::string::npos)
            << single.error.description;
        for (bool bulk : kBothPaths) {
            ds.Sql("TRUNCATE TABLE " + name + "_b");
            connection->SetBulkLoad(bulk);
            const Outcome batch = AddRows(ds, connection, name + "_b", ado::adLockBatchOptimistic, rows, "seq");
            EXPECT_EQ(batch.error.description, single.error.description);
            EXPECT_EQ(batch.rows.size(), 1150u);
            EXPECT_EQ(batch.rows, single.rows);
        }
    }
}

TEST(BatchInsert, QueuedRowsAreSentByUpdateBatchNeverLostByCloseAndDroppedByCancelBatch) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE q (code INT PRIMARY KEY, name VARCHAR(20))");
    auto connection = ds.Open();
    Recordset rs;
    rs.Open("q", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    Add(rs, Numbered(3));
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM q"), "0");  // queued, not yet sent
    const auto closing = ErrorOf([&] { rs.Close(); });
    EXPECT_EQ(closing.number, 3219);
    EXPECT_EQ(closing.description, "Operation is not allowed in this context.");
    rs.UpdateBatch();
    EXPECT_EQ(ds.Scalar("SELECT GROUP_CONCAT(code ORDER BY code) FROM q"), "1,2,3");
    rs.AddNew();
    rs.GetFields().Item("code").SetValue(4);
    rs.Update();
    rs.CancelBatch();
    rs.Close();
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM q"), "3");
}

TEST(BatchInsert, ABatchOnItsWayCountsAsQueuedUntilUpdateBatchHasWaitedForIt) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE w (code INT PRIMARY KEY, name VARCHAR(20))");
    auto connection = ds.Open();
    connection->SetBulkLoad(false);  // the counts below follow the array's size
    Recordset rs;
    rs.Open("w", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    // More than a batch: the first one goes on its way, the rest waits in the queue.
    Add(rs, Numbered(1500));
    EXPECT_EQ(ErrorOf([&] { rs.Close(); }).number, 3219);
    rs.UpdateBatch();
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM w"), "1500");
    EXPECT_EQ(ds.Scalar("SELECT MAX(code) FROM w"), "1500");

    // CancelBatch drops what waits in the queue; a full batch had already been sent.
    Add(rs, Numbered(1500, 1501));
    rs.CancelBatch();
    rs.Close();
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM w"), "2523");
    EXPECT_EQ(ds.Scalar("SELECT MAX(code) FROM w"), "2523");

    // Connection work right after UpdateBatch sees every row (nothing still on its way).
    Recordset again;
    again.Open("w", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    Add(again, Numbered(3000, 10001));
    again.UpdateBatch();
    auto count = connection->Execute("SELECT COUNT(*) FROM w WHERE code > 10000");
    EXPECT_EQ(count->GetFields().Item(0).GetValue().ToLong(), 3000);
}

TEST(BatchInsert, OtherStatementsOnTheConnectionTakeTurnsWithTheBatchOnItsWay) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE g (code INT PRIMARY KEY, name VARCHAR(20)) ENGINE=InnoDB");
    auto connection = ds.Open();
    connection->SetBulkLoad(false);  // the counts below follow the array's size
    Recordset rs;
    rs.Open("g", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    // Each round's first row sends the batch before it; a query on the same connection
    // right then runs before or after that batch, never in the middle of it (the driver
    // takes statements on one connection in turn, which the copy and the remap rely on).
    long long sent = 0;
    for (int round = 0; round < 6; ++round) {
        Add(rs, Numbered(1023, round * 1023 + 1));
        auto count = connection->Execute("SELECT COUNT(*), IFNULL(MAX(code), 0) FROM g");
        const long long rows = count->GetFields().Item(0).GetValue().ToLong();
        EXPECT_TRUE(rows == sent || rows == sent + 1023) << "round " << round << ": " << rows;
        EXPECT_EQ(count->GetFields().Item(1).GetValue().ToLong(), rows);
        count->Close();
        if (round > 0) sent += 1023;
    }
    rs.UpdateBatch();
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM g"), std::to_string(6 * 1023));
}

TEST(BatchInsert, AColumnWhoseValuesChangeKindKeepsEachValue) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE k (code INT PRIMARY KEY, v VARCHAR(30))");
    auto connection = ds.Open();
    Recordset rs;
    rs.Open("k", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    const std::vector<Value> values = {Value("text"), Value(42), Value(2.5), Value("더 긴 한국어 텍스트"), Value(7)};
    for (std::size_t i = 0; i < values.size(); ++i) {
        rs.AddNew();
        rs.GetFields().Item("code").SetValue(static_cast<int>(i));
        rs.GetFields().Item("v").SetValue(values[i]);
        rs.Update();
    }
    rs.UpdateBatch();
    EXPECT_EQ(ds.Scalar("SELECT GROUP_CONCAT(v ORDER BY code SEPARATOR '|') FROM k"),
              "text|42|2.5|더 긴 한국어 텍스트|7");
}

TEST(BatchInsert, AnotherClientsOpenTransactionOnTheTableHoldsNoBatchUp) {
    CustomerDataSource ds;
    CreateTwins(ds, "held",
                "(seq INT NOT NULL AUTO_INCREMENT PRIMARY KEY, code INT NOT NULL, name VARCHAR(5)) ENGINE=InnoDB "
                "AUTO_INCREMENT=40");
    // Another client reads both tables in a transaction it keeps open: a change of the
    // tables' definition would wait for it to end.
    testsupport::AdminSession other(ds.database());
    other.Sql("START TRANSACTION; SELECT COUNT(*) FROM held_b; SELECT COUNT(*) FROM held_r");

    // Two rounds that leave their keys to the table: the first ends in a part batch, the
    // second in a refused row within a batch.
    std::vector<NewRow> first = Numbered(1500), second = Numbered(1000, 1501);
    for (NewRow& row : first) row[1].second = Value("ok");
    for (NewRow& row : second) row[1].second = Value("ok");
    second[700][1].second = Value("too long");
    auto connection = ds.Open();
    std::vector<dltest::Raised> errors;
    for (const char* twin : {"held_b", "held_r"}) {
        Recordset rs;
        const bool batch = std::string(twin) == "held_b";
        rs.Open(twin, connection, ado::adOpenForwardOnly, batch ? ado::adLockBatchOptimistic : ado::adLockOptimistic,
                ado::adCmdTable);
        EXPECT_EQ(ErrorOf([&] {
                      Add(rs, first);
                      rs.UpdateBatch();
                  }).number,
                  0);
        errors.push_back(ErrorOf([&] {
            Add(rs, second);
            rs.UpdateBatch();
        }));
    }
    // The copy went through while the other transaction was still open.
    other.Sql("SELECT 1; COMMIT");
    EXPECT_NE(errors[0].description.find("Data too long for column 'name'"), std::string::npos)
        << errors[0].description;
    EXPECT_EQ(errors[0].description, errors[1].description);
    const auto batchRows = ds.Query("SELECT * FROM held_b ORDER BY seq");
    ASSERT_EQ(batchRows.size(), 2200u);
    EXPECT_EQ(batchRows, ds.Query("SELECT * FROM held_r ORDER BY seq"));
    EXPECT_EQ(*batchRows.front()[0], "40");
    EXPECT_EQ(*batchRows.back()[0], "2239");
}

TEST(BatchInsert, AValueTooBigForTheServersPacketIsNamedWithItsTableColumnAndKey) {
    if (!testsupport::PrivateServer::Available()) GTEST_SKIP() << "no network namespace for a server of the test's own";
    testsupport::PrivateServer server;
    // Sessions opened from here on take at most 1 MiB in one packet.
    testsupport::AdminSql("SET GLOBAL max_allowed_packet = 1048576");
    CustomerDataSource ds;
    CreateTwins(ds, "big", "(id INT PRIMARY KEY, memo LONGTEXT) ENGINE=InnoDB");
    std::vector<NewRow> rows;
    for (int id = 1; id <= 8; ++id) rows.push_back({{"id", Value(id)}, {"memo", Value(std::string(100, 'a'))}});
    rows[5][1].second = Value(std::string(2 * 1024 * 1024, 'x'));  // id 6
    auto connection = ds.Open();
    const Outcome batch = AddRows(ds, connection, "big_b", ado::adLockBatchOptimistic, rows, "id");
    const Outcome single = AddRows(ds, connection, "big_r", ado::adLockOptimistic, rows, "id");
    EXPECT_EQ(batch.error.number, -2147467259);
    EXPECT_EQ(batch.error.description,
              "표 big_b의 열 memo에 넣을 값(2097152바이트)이 대상 서버가 한 번에 받는 크기(max_allowed_packet "
              "1048576바이트)보다 커서 저장할 수 없습니다. 원본 행의 키: id=6");
    EXPECT_NE(single.error.description.find("표 big_r의 열 memo에 넣을 값(2097152바이트)"), std::string::npos)
        << single.error.description;
    ASSERT_EQ(batch.rows.size(), 5u);
    EXPECT_EQ(batch.rows, single.rows);
    // The connection is still there for what comes next.
    auto count = connection->Execute("SELECT COUNT(*) FROM big_b");
    EXPECT_EQ(count->GetFields().Item(0).GetValue().ToLong(), 5);
}

TEST(BatchInsert, TheConnectionsThreeUsersTakeTurnsAndNeverInterleave) {
    // One connection, as a copy uses it: the caller reads a table a chunk at a time (the
    // next chunk is read on a thread of its own), adds each row to a batch recordset
    // (each load goes on a thread of its own, inside a transaction of its own) and asks
    // the server something of its own every few rows. Were the caller's question ever
    // to run while a load runs, it would see the load's session at it.
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE src (code INT PRIMARY KEY, name VARCHAR(20)) ENGINE=InnoDB;"
        "INSERT INTO src SELECT seq, CONCAT('n', seq) FROM seq_1_to_30000;"
        "CREATE TABLE dst (code INT PRIMARY KEY, name VARCHAR(20)) ENGINE=InnoDB");
    auto connection = ds.Open();
    Recordset from, to;
    from.Open("src", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
    to.Open("dst", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
    int rows = 0, insideALoad = 0;
    for (; !from.Eof(); from.MoveNext(), ++rows) {
        to.AddNew();
        to.GetFields().Item("code").SetValue(from.GetFields().Item("code").GetValue());
        to.GetFields().Item("name").SetValue(from.GetFields().Item("name").GetValue());
        to.Update();
        if (rows % 25 == 0) {
            auto open = connection->Execute(
                "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID <> CONNECTION_ID() "
                "AND USER = SUBSTRING_INDEX(USER(), '@', 1) AND INFO LIKE 'LOAD DATA%'");
            if (open->GetFields().Item(0).GetValue().ToLong() != 0) ++insideALoad;
        }
    }
    to.UpdateBatch();
    EXPECT_EQ(rows, 30000);
    EXPECT_EQ(insideALoad, 0);
    EXPECT_EQ(to.RowsLoaded(), 30000u);
    EXPECT_EQ(ds.Scalar("SELECT COUNT(*) FROM src s JOIN dst d USING (code, name)"), "30000");
}

TEST(BatchInsert, ALoadKilledHalfwayLeavesNothingOnDisk) {
    CustomerDataSource ds;
    ds.Sql(
        "CREATE TABLE src (code INT PRIMARY KEY, name VARCHAR(200)) ENGINE=InnoDB;"
        "INSERT INTO src SELECT seq, REPEAT('n', 200) FROM seq_1_to_200000;"
        "CREATE TABLE dst (code INT PRIMARY KEY, name VARCHAR(200)) ENGINE=InnoDB");
    // The copier's temporary folder is one of the test's own, empty.
    testsupport::TempDir tmp;
    ::setenv("TMPDIR", tmp.path().c_str(), 1);
    const pid_t copier = ::fork();
    if (copier == 0) {
        Recordset from, to;
        auto connection = ds.Open();
        from.Open("src", connection, ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdTable);
        to.Open("dst", connection, ado::adOpenForwardOnly, ado::adLockBatchOptimistic, ado::adCmdTable);
        for (; !from.Eof(); from.MoveNext()) {
            to.AddNew();
            to["code"].SetValue(from["code"].GetValue());
            to["name"].SetValue(from["name"].GetValue());
            to.Update();
        }
        to.UpdateBatch();
        ::_exit(0);
    }
    // Killed while the server reads one of its loads.
    bool killed = false;
    for (int i = 0; i < 3000 && !killed; ++i) {
        killed = ds.Scalar(
                     "SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE DB = DATABASE() "
                     "AND INFO LIKE 'LOAD DATA%'") != "0";
        if (!killed) ::usleep(5000);
    }
    ::kill(copier, SIGKILL);
    ::waitpid(copier, nullptr, 0);
    EXPECT_TRUE(killed);
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
    // What the server holds is whole loads only.
    EXPECT_EQ(std::stoi(ds.Scalar("SELECT COUNT(*) FROM dst")) % 4092, 0);
}

TEST(BatchInsert, AnErrorOfTheRowFeedDuringALoadIsRaisedAsItselfAndLoadsGoOn) {
    CustomerDataSource ds;
    ds.Sql("CREATE TABLE t (code INT PRIMARY KEY) ENGINE=InnoDB");
    auto connection = ds.Open();
    ado::Connection::Impl& impl = connection->impl();
    ado::odbc::LoadSession& loads = *impl.loads;
    const ado::odbc::ConnectionGuard hold(*impl.lock);
    ASSERT_TRUE(loads.Ready(impl.Dbc())) << loads.Refusal();
    const std::string load = "LOAD DATA LOCAL INFILE 'nutv-rows' INTO TABLE t";
    int pieces = 0;
    const auto failing = [&](std::string& piece) {
        if (++pieces == 2) throw std::length_error("a row too long to format");
        piece = "1\n";
        return true;
    };
    try {
        loads.Load(load, failing);
        ADD_FAILURE() << "the feed's error was not raised";
    } catch (const std::length_error& e) {
        EXPECT_STREQ(e.what(), "a row too long to format");
    }
    EXPECT_EQ(loads.Refusal(), "");
    EXPECT_TRUE(loads.Run("ROLLBACK"));
    bool sent = false;
    EXPECT_TRUE(loads.Load(load, [&](std::string& piece) {
        piece = "2\n";
        return !std::exchange(sent, true);
    }));
    EXPECT_TRUE(loads.Run("COMMIT"));
    EXPECT_EQ(ds.Scalar("SELECT GROUP_CONCAT(code) FROM t"), "2");
}
