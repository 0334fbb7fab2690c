// The message-box handler over QMessageBox: styles become icons, buttons and default
// buttons; answers come back as the classic numbers, also when a worker thread asks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QTest>
#include <atomic>
#include <thread>

#include "GuiTestSupport.h"
#include "common/MsgBox.h"
#include "gui/MessageBoxes.h"

using guitest::MessageBoxAnswerer;
using Buttons = std::vector<QMessageBox::StandardButton>;

namespace {

class MessageBoxes : public ::testing::Test {
protected:
    MessageBoxes() : previous_(SetMsgBoxHandler(QtMsgBoxHandler())) {}
    ~MessageBoxes() override { SetMsgBoxHandler(previous_); }

    MessageBoxAnswerer answerer;

private:
    MsgBoxHandler previous_;
};

TEST_F(MessageBoxes, NoticeHasOkOnlyNoIconAndTheProgramTitle) {
    answerer.Plan({QMessageBox::Ok});
    EXPECT_EQ(MsgBox("복사가 완료되었습니다.", mb::kOkOnly), mb::kOk);
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    const auto& box = answerer.Boxes()[0];
    EXPECT_EQ(box.title, QStringLiteral("누리Tarn_To_누리Velm"));
    EXPECT_EQ(box.text, QStringLiteral("복사가 완료되었습니다."));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, Buttons{QMessageBox::Ok});
    EXPECT_EQ(box.buttonTexts, QStringList{QStringLiteral("확인")});
}

TEST_F(MessageBoxes, StartQuestionHasQuestionIconYesNoAndNoAsDefault) {
    answerer.Plan({QMessageBox::Yes, QMessageBox::No});
    const std::string prompt = "※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?";
    EXPECT_EQ(MsgBox(prompt, 292), mb::kYes);
    EXPECT_EQ(MsgBox(prompt, 292), mb::kNo);
    ASSERT_EQ(answerer.Boxes().size(), 2u);
    const auto& box = answerer.Boxes()[0];
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.buttons, (Buttons{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(box.defaultButton, QMessageBox::No);
    // Korean button texts from Qt's own Korean translation.
    EXPECT_EQ(box.buttonTexts, (QStringList{QStringLiteral("예(&Y)"), QStringLiteral("아니요(&N)")}));
    // CR LF shows as one line break.
    EXPECT_EQ(box.text,
              QStringLiteral("※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\n정말 시작하시겠습니까?"));
}

TEST_F(MessageBoxes, TargetNotEmptyQuestionHasNoIconAndItsOwnTitle) {
    answerer.Plan({QMessageBox::No});
    EXPECT_EQ(MsgBox("복사될 곳의 Tarn DB [상품] 테이블이 비어있지 않습니다.", 260, "2건 존재"), mb::kNo);
    const auto& box = answerer.Boxes().at(0);
    EXPECT_EQ(box.title, QStringLiteral("2건 존재"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, (Buttons{QMessageBox::Yes, QMessageBox::No}));
    EXPECT_EQ(box.defaultButton, QMessageBox::No);
}

TEST_F(MessageBoxes, IconsAndFirstButtonDefault) {
    answerer.Plan({QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok});
    MsgBox("이미 프로그램이 실행중입니다.", mb::kInformation);
    MsgBox("version", mb::kCritical);
    MsgBox("warning", mb::kExclamation);
    answerer.Plan({QMessageBox::Yes});
    EXPECT_EQ(MsgBox("yes or no", mb::kYesNo), mb::kYes);
    ASSERT_EQ(answerer.Boxes().size(), 4u);
    EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::Information);
    EXPECT_EQ(answerer.Boxes()[1].icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.Boxes()[2].icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.Boxes()[3].icon, QMessageBox::NoIcon);
    EXPECT_EQ(answerer.Boxes()[3].defaultButton, QMessageBox::Yes);
}

TEST_F(MessageBoxes, PromptIsPlainTextNotMarkup) {
    answerer.Plan({QMessageBox::Ok});
    MsgBox("Error -2147467259 (<b>bad</b> & worse) in procedure cmdStart_Click of Form Form1");
    EXPECT_EQ(answerer.Boxes().at(0).text,
              QStringLiteral("Error -2147467259 (<b>bad</b> & worse) in procedure cmdStart_Click of Form Form1"));
}

TEST_F(MessageBoxes, QuestionClosedWithoutAButtonAnswersNo) {
    // Esc on a Yes/No box: the answer that starts nothing.
    answerer.OnBox([](QMessageBox& box) { box.reject(); });
    answerer.Plan({QMessageBox::NoButton});
    EXPECT_EQ(MsgBox("정말 시작하시겠습니까?", 292), mb::kNo);
}

TEST_F(MessageBoxes, WorkerQuestionsReachTheWindowThreadInOrder) {
    answerer.Plan({QMessageBox::No, QMessageBox::Yes, QMessageBox::Ok});
    std::vector<int> answers;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        answers.push_back(MsgBox("첫째", 292));
        answers.push_back(MsgBox("둘째", 260, "2건 존재"));
        answers.push_back(MsgBox("셋째"));
        done = true;
    });
    const bool finished = guitest::WaitUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(answers, (std::vector<int>{mb::kNo, mb::kYes, mb::kOk}));
    ASSERT_EQ(answerer.Boxes().size(), 3u);
    EXPECT_EQ(answerer.Boxes()[0].text, QStringLiteral("첫째"));
    EXPECT_EQ(answerer.Boxes()[1].title, QStringLiteral("2건 존재"));
    EXPECT_EQ(answerer.Boxes()[2].text, QStringLiteral("셋째"));
}

TEST_F(MessageBoxes, CtrlCCopiesCaptionTextAndButtons) {
    QString copied;
    answerer.OnBox([&](QMessageBox& box) {
        QApplication::setActiveWindow(&box);
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
    });
    answerer.Plan({QMessageBox::No});
    MsgBox("첫 줄\r\n둘째 줄", 292);
    EXPECT_EQ(copied, QStringLiteral("---------------------------\n누리Tarn_To_누리Velm\n---------------------------\n"
                                     "첫 줄\n둘째 줄\n---------------------------\n예(Y)   아니요(N)\n"
                                     "---------------------------\n"));
}

TEST_F(MessageBoxes, ScreenshotOfAQuestion) {
    answerer.OnBox([](QMessageBox& box) { guitest::SaveScreenshot(box, "MsgBox_292"); });
    answerer.Plan({QMessageBox::No});
    MsgBox("※시작하기 전에 누리온Tarn와 누리온Velm프로그램을 종료하세요.\r\n정말 시작하시겠습니까?", 292);
    EXPECT_EQ(answerer.Boxes().size(), 1u);
}

}  // namespace
