#include <gtest/gtest.h>

#include "common/ErrorReport.h"

TEST(ErrorReport, FormAndModuleWording) {
    EXPECT_EQ(ErrorReportText(3021, "No record", "cmdStart_Click", ReportOwner::Form, "Form1"),
              "Error 3021 (No record) in procedure cmdStart_Click of Form Form1");
    EXPECT_EQ(ErrorReportText(VbError(-2147467259, "x", "드라이버 오류"), "GetAllowMyPC", ReportOwner::Module,
                              "modVarokDBConsts"),
              "Error -2147467259 (드라이버 오류) in procedure GetAllowMyPC of Module modVarokDBConsts");
}
