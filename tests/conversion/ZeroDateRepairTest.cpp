#include <gtest/gtest.h>

#include "ConversionFixture.h"
#include "conversion/run/ZeroDateRepair.h"

using namespace testsupport;

TEST(ZeroDateRepair, ReplacesZeroDatesInEveryRepairedColumnAndNothingElse) {
    ConversionFixture f;
    f.CreateZeroDateTables();
    f.SourceSql(
        "SET SESSION sql_mode='';"
        "INSERT INTO billnote VALUES (1,'0000-00-00','0000-00-00'),(2,'2020-05-06',NULL);"
        "INSERT INTO customer VALUES (1,'0000-00-00 00:00:00','0000-00-00 00:00:00');"
        "INSERT INTO special_price VALUES (1,'0000-00-00 00:00:00','0000-00-00');"
        "INSERT INTO workshift VALUES (1,'0000-00-00 00:00:00');"
        "CREATE TABLE other (d DATE); INSERT INTO other VALUES ('0000-00-00')");
    E_FAIL_Error_Solution(f.Connect(false), f.form);
    EXPECT_TRUE(f.boxes.Boxes().empty());
    EXPECT_EQ(f.SourceScalar("SELECT CONCAT(expiredate,' ',dealdate) FROM billnote WHERE no=1"),
              "1900-01-01 1900-01-01");
    EXPECT_EQ(f.SourceScalar("SELECT expiredate FROM billnote WHERE no=2"), "2020-05-06");
    EXPECT_EQ(f.SourceScalar("SELECT CONCAT(lastmodify,' / ',lastemaildate) FROM customer"),
              "1900-01-01 01:01:01 / 1900-01-01 00:00:00");
    EXPECT_EQ(f.SourceScalar("SELECT CONCAT(lastmodify,' / ',sdate) FROM special_price"),
              "1900-01-01 01:01:01 / 1900-01-01");
    EXPECT_EQ(f.SourceScalar("SELECT data_created FROM workshift"), "1900-01-01 00:00:00");
    EXPECT_EQ(f.SourceScalar("SELECT d FROM other"), "0000-00-00");

    // A second repair finds nothing to change and says nothing.
    E_FAIL_Error_Solution(f.Connect(false), f.form);
    EXPECT_TRUE(f.boxes.Boxes().empty());
}

TEST(ZeroDateRepair, FirstFailureIsReportedAndTheRestSkipped) {
    ConversionFixture f;
    f.CreateZeroDateTables();
    f.SourceSql(
        "ALTER TABLE billnote DROP COLUMN dealdate; SET SESSION sql_mode='';"
        "INSERT INTO billnote VALUES (1,'0000-00-00');"
        "INSERT INTO customer VALUES (1,'0000-00-00 00:00:00',NULL)");
    E_FAIL_Error_Solution(f.Connect(false), f.form);
    ASSERT_EQ(f.boxes.Boxes().size(), 1u);
    const std::string& prompt = f.boxes.Boxes()[0].prompt;
    EXPECT_EQ(prompt.rfind("Error -2147467259 (", 0), 0u) << prompt;
    EXPECT_NE(prompt.find("dealdate"), std::string::npos) << prompt;
    EXPECT_NE(prompt.find(") in procedure E_FAIL_Error_Solution of Form FrmMain"), std::string::npos) << prompt;
    EXPECT_EQ(f.SourceScalar("SELECT expiredate FROM billnote"), "1900-01-01");           // statement 1 ran
    EXPECT_EQ(f.SourceScalar("SELECT lastmodify FROM customer"), "0000-00-00 00:00:00");  // 3 did not
}
