#include <gtest/gtest.h>

#include "common/MsgBox.h"
#include "support/ScriptedMsgBox.h"

TEST(MsgBox, UntitledBoxShowsProgramTitleAndPlannedAnswersComeInOrder) {
    testsupport::ScriptedMsgBox boxes;
    boxes.Plan({mb::kNo, mb::kYes});
    EXPECT_EQ(MsgBox("첫 질문", mb::kYesNo + mb::kQuestion + mb::kDefaultButton2), mb::kNo);
    EXPECT_EQ(MsgBox("둘째", mb::kYesNo, "1건 존재"), mb::kYes);
    EXPECT_EQ(MsgBox("알림"), mb::kOk);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].title, "누리Tarn_To_누리Velm");
    EXPECT_EQ(boxes.Boxes()[0].buttons, 292);
    EXPECT_EQ(boxes.Boxes()[1].title, "1건 존재");
    EXPECT_EQ(boxes.Boxes()[2].buttons, 0);
}

TEST(MsgBox, HandlerIsRestoredWhenScriptEnds) {
    int calls = 0;
    auto previous = SetMsgBoxHandler([&](const std::string&, int, const std::string&) { return ++calls, mb::kNo; });
    {
        testsupport::ScriptedMsgBox boxes;
        MsgBox("inner");
    }
    EXPECT_EQ(MsgBox("outer", mb::kYesNo), mb::kNo);
    EXPECT_EQ(calls, 1);
    SetMsgBoxHandler(previous);
}
