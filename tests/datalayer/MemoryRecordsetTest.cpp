#include <gtest/gtest.h>

#include <memory>

#include "ErrorNumber.h"
#include "common/CloseIfOpen.h"
#include "common/VbError.h"
#include "datalayer/Recordset.h"

using ado::Recordset;
using ado::Value;
using datalayertest::ErrorNumberOf;

namespace {

// Built the way cMySQL builds its results: string fields, rows added one by one, all
// saved at the end, left on the last row.
std::unique_ptr<Recordset> TwoRowResult() {
    auto rs = std::make_unique<Recordset>();
    rs->GetFields().Append("app_dbname", ado::adBSTR, 64, ado::adFldUnspecified);
    rs->GetFields().Append("app_dbip", ado::adBSTR, 15, ado::adFldUnspecified);
    rs->Open();
    const char* rows[][2] = {{"tarn_db1", "127.0.0.2"}, {"누리_db2", "127.0.0.3"}};
    for (auto& row : rows) {
        rs->AddNew();
        rs->GetFields().Item(0).SetValue(row[0]);
        rs->GetFields().Item(1).SetValue(row[1]);
        rs->Update();
    }
    rs->UpdateBatch(ado::adAffectAll);
    return rs;
}

}  // namespace

TEST(MemoryRecordset, BuiltRowsAreLeftOnTheLastRowAndWalkFromTheFirst) {
    auto rs = TwoRowResult();
    EXPECT_EQ(rs->State(), ado::adStateOpen);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->GetFields().Item("app_dbname").GetValue().Text(), "누리_db2");

    rs->MoveFirst();
    EXPECT_FALSE(rs->Bof());
    EXPECT_EQ(rs->GetFields().Item("app_dbname").GetValue().Text(), "tarn_db1");
    EXPECT_EQ((*rs)["APP_DBIP"].GetValue().Text(), "127.0.0.2");  // names match without regard to case
    rs->MoveNext();
    EXPECT_EQ((*rs)[1].GetValue().Text(), "127.0.0.3");
    rs->MoveNext();
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(ErrorNumberOf([&] { rs->MoveNext(); }), 3021);
}

TEST(MemoryRecordset, FieldsDescribeWhatWasAppended) {
    auto rs = TwoRowResult();
    const auto& fields = rs->GetFields();
    ASSERT_EQ(fields.Count(), 2);
    EXPECT_EQ(fields.Item(0).Name(), "app_dbname");
    EXPECT_EQ(fields.Item(1).Type(), ado::adBSTR);
    EXPECT_EQ(fields.Item(1).DefinedSize(), 15);
    EXPECT_EQ(fields.Item(1).Attributes(), ado::adFldUnspecified);
    EXPECT_EQ(fields.IndexOf("App_DbIp"), 1);
    EXPECT_EQ(fields.IndexOf("missing"), -1);
}

TEST(MemoryRecordset, ErrorsCarryAdoNumbersAndTexts) {
    auto rs = TwoRowResult();
    try {
        rs->GetFields().Item("no_such_column");
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3265);
        EXPECT_EQ(e.description(),
                  "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    }
    EXPECT_EQ(ErrorNumberOf([&] { rs->GetFields().Item(2); }), 3265);
    EXPECT_EQ(ErrorNumberOf([&] { rs->GetFields().Item(-1); }), 3265);

    rs->MoveFirst();
    rs->MoveNext();
    rs->MoveNext();
    try {
        (void)rs->GetFields().Item(0).GetValue();
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3021);
        EXPECT_EQ(e.description(),
                  "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
                  "current record.");
    }
    EXPECT_EQ(ErrorNumberOf([&] { rs->GetFields().Item(0).SetValue("x"); }), 3021);
}

TEST(MemoryRecordset, AppendingAnExistingNameFails) {
    Recordset rs;
    rs.GetFields().Append("id", ado::adBSTR, 11);
    try {
        rs.GetFields().Append("id", ado::adBSTR, 11);
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 3367);
        EXPECT_EQ(e.description(), "Object is already in collection. Cannot append.");
    }
    EXPECT_EQ(ErrorNumberOf([&] { rs.GetFields().Append("ID", ado::adBSTR, 11); }), 3367);
    rs.GetFields().Append("a.id", ado::adBSTR, 11);
    EXPECT_EQ(rs.GetFields().Count(), 2);
    rs.Open();
    EXPECT_EQ(ErrorNumberOf([&] { rs.GetFields().Append("late", ado::adBSTR, 1); }), 3219);
}

TEST(MemoryRecordset, EmptyRecordsetIsAtBothEnds) {
    Recordset rs;
    rs.GetFields().Append("x", ado::adBSTR, 1);
    rs.Open();
    rs.UpdateBatch(ado::adAffectAll);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(ErrorNumberOf([&] { rs.MoveFirst(); }), 3021);
    EXPECT_EQ(ErrorNumberOf([&] { (void)rs.GetFields().Item("x").GetValue(); }), 3021);
}

TEST(MemoryRecordset, StringFieldsHoldTextAndNullStaysNull) {
    Recordset rs;
    rs.GetFields().Append("n", ado::adBSTR, 10);
    rs.GetFields().Append("d", ado::adDouble, 8);
    rs.GetFields().Append("empty", ado::adBSTR, 10);
    rs.Open();
    rs.AddNew();
    rs["n"].SetValue(12);
    rs["d"].SetValue(0.5);
    rs.Update();
    EXPECT_EQ(rs["n"].GetValue(), Value("12"));
    EXPECT_EQ(rs["d"].GetValue(), Value(0.5));
    EXPECT_TRUE(rs["empty"].GetValue().IsNull());
    EXPECT_EQ(ErrorNumberOf([&] { (void)rs["empty"].GetValue().Text(); }), 94);
}

TEST(MemoryRecordset, PendingRecordIsCompletedByMovingOrBatchAndDroppedByCancelOrClose) {
    Recordset rs;
    rs.GetFields().Append("v", ado::adBSTR, 10);
    rs.Open();
    rs.AddNew();
    rs["v"].SetValue("first");
    EXPECT_FALSE(rs.Eof());  // the record being added is current
    EXPECT_EQ(rs["v"].GetValue().Text(), "first");
    rs.AddNew();  // completes the first record
    rs["v"].SetValue("second");
    rs.UpdateBatch();
    rs.AddNew();
    rs["v"].SetValue("dropped");
    rs.CancelUpdate();

    rs.MoveFirst();
    EXPECT_EQ(rs["v"].GetValue().Text(), "first");
    rs["v"].SetValue("edited");  // editing the current record
    rs.MoveNext();               // completes the edit
    EXPECT_EQ(rs["v"].GetValue().Text(), "second");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    rs.MoveFirst();
    EXPECT_EQ(rs["v"].GetValue().Text(), "edited");

    rs.AddNew();
    rs["v"].SetValue("never saved");
    rs.Close();
    EXPECT_EQ(rs.State(), ado::adStateClosed);
    rs.Open();  // fields survive closing; records do not
    EXPECT_EQ(rs.GetFields().Count(), 1);
    EXPECT_TRUE(rs.Eof());
}

TEST(MemoryRecordset, ClosedRecordsetRefusesToMove) {
    Recordset rs;
    rs.GetFields().Append("v", ado::adBSTR, 10);
    EXPECT_EQ(ErrorNumberOf([&] { (void)rs.Eof(); }), 3704);
    EXPECT_EQ(ErrorNumberOf([&] { rs.MoveNext(); }), 3704);
    EXPECT_EQ(ErrorNumberOf([&] { rs.AddNew(); }), 3704);
    rs.Open();
    EXPECT_EQ(ErrorNumberOf([&] { rs.Open(); }), 3705);
}

TEST(MemoryRecordset, CloseIfOpenHandlesEmptyOpenAndClosedReferences) {
    std::shared_ptr<Recordset> none;
    CloseIfOpen(none);
    EXPECT_EQ(none, nullptr);

    auto open = std::make_shared<Recordset>();
    open->GetFields().Append("v", ado::adBSTR, 1);
    open->Open();
    auto keep = open;  // a second reference sees the object closed
    CloseIfOpen(open);
    EXPECT_EQ(open, nullptr);
    EXPECT_EQ(keep->State(), ado::adStateClosed);

    auto closed = std::make_shared<Recordset>();
    CloseIfOpen(closed);
    EXPECT_EQ(closed, nullptr);
}
