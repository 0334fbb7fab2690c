// The conversion window over its model: captions, arrangement, control states, the
// list's multiple selection, the keys, and the supervisor's way to the repair command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "GuiTestSupport.h"
#include "common/Settings.h"
#include "conversion/TableCatalogue.h"
#include "gui/FrmMainWindow.h"
#include "gui/MessageBoxes.h"
#include "support/TestEnvironment.h"
#include "window/FrmMain.h"

namespace {

class FrmMainWindowTest : public ::testing::Test {
protected:
    FrmMainWindowTest() : previous_(SetMsgBoxHandler(QtMsgBoxHandler())) {}
    ~FrmMainWindowTest() override {
        window.reset();
        SetMsgBoxHandler(previous_);
    }

    void Open() {
        window.emplace(model);
        window->LoadAndShow();
        QApplication::setActiveWindow(&*window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&*window));
    }

    template <class Widget>
    Widget& Get(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        if (!widget) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }
    QString LabelText(const char* name) { return Get<QLabel>(name).text(); }
    QListWidget& List() { return Get<QListWidget>("List1"); }
    void ClickRow(int row) {
        QListWidget& list = List();
        list.scrollToItem(list.item(row));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
    }
    // Where a control sits in the window.
    QRect Place(const char* name) {
        QWidget& widget = Get<QWidget>(name);
        return QRect(widget.mapTo(&*window, QPoint(0, 0)), widget.size());
    }

    testsupport::IsolatedEnvironment env;
    guitest::MessageBoxAnswerer answerer;
    FrmMain model;
    std::optional<FrmMainWindow> window;

private:
    MsgBoxHandler previous_;
};

TEST_F(FrmMainWindowTest, CaptionsAndInitialStates) {
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("누리온Tarn -> 누리온Velm 자료전환"));
    EXPECT_EQ(LabelText("Label1_0"), QStringLiteral("[처리절차]"));
    EXPECT_EQ(LabelText("Label1_2"), QStringLiteral("1. 누리온Tarn 최신버전으로 실행을 한번 해 줍니다.(DB업그레이드)"));
    EXPECT_EQ(LabelText("Label1_4"), QStringLiteral("2. [시작]버튼을 눌러 작업을 시작합니다."));
    EXPECT_EQ(LabelText("Label1_3"), QStringLiteral("Tarn 아이디:"));
    EXPECT_EQ(LabelText("lblArrow"), QStringLiteral("→"));
    EXPECT_TRUE(Get<QLabel>("lblArrow").font().bold());
    EXPECT_GT(Get<QLabel>("lblArrow").font().pointSizeF(), Get<QLabel>("Label1_3").font().pointSizeF());
    EXPECT_EQ(LabelText("lblIP_0"), QStringLiteral("000.000.000.000"));
    EXPECT_EQ(LabelText("lblIP_1"), QStringLiteral("000.000.000.000"));
    EXPECT_EQ(Get<QPushButton>("cmdStart").text(), QStringLiteral("시작"));
    EXPECT_EQ(Get<QPushButton>("cmdClose").text(), QStringLiteral("닫기"));
    EXPECT_EQ(Get<QPushButton>("cmdVerify").text(), QStringLiteral("검증"));
    EXPECT_TRUE(Get<QPushButton>("cmdVerify").isEnabled());
    EXPECT_EQ(Get<QPushButton>("Command1").text(), QStringLiteral("Command1"));
    EXPECT_FALSE(Get<QPushButton>("Command1").isEnabled());
    EXPECT_TRUE(Get<QPushButton>("cmdStart").isEnabled());
    EXPECT_EQ(Get<QCheckBox>("chkAll").text(), QStringLiteral("전체(&A)"));
    EXPECT_TRUE(Get<QCheckBox>("chkAll").isChecked());
    EXPECT_EQ(Get<QPushButton>("btnMSel").text(), QStringLiteral("↓"));
    EXPECT_EQ(Get<QPushButton>("btnMSel").toolTip(), QStringLiteral("현재 줄부터 아래 모두 선택"));
    EXPECT_TRUE(Get<QLineEdit>("txtID_0").toolTip().contains(QStringLiteral("Tarn(원본)")));
    EXPECT_TRUE(Get<QLineEdit>("txtID_1").toolTip().contains(QStringLiteral("Velm(대상)")));
    EXPECT_TRUE(Get<QLabel>("lblIP_0").toolTip().contains(QStringLiteral("서버")));
    EXPECT_EQ(Get<QPushButton>("cmdSaveLog").text(), QStringLiteral("로그 저장…"));
    // No run yet: the status line says what a 시작 would copy, and so does the count beside it.
    EXPECT_EQ(LabelText("lblStatus"), QStringLiteral("선택한 테이블: 80개 모두"));
    EXPECT_EQ(LabelText("lblSelCount"), QStringLiteral("80 / 80개 선택"));
    EXPECT_EQ(Get<QCheckBox>("chkAll").checkState(), Qt::Checked);
    EXPECT_EQ(LabelText("Label2_12"), QStringLiteral("[ 작업 진행 로그 ]"));
    EXPECT_TRUE(Get<QLabel>("Label2_12").font().bold());
    EXPECT_EQ(LabelText("Label2_6"), QStringLiteral("현재:"));
    EXPECT_EQ(LabelText("Label2_7"), QStringLiteral("전체:"));
    EXPECT_EQ(Get<QProgressBar>("ProgressBar1_0").value(), 0);
    EXPECT_EQ(Get<QProgressBar>("ProgressBar1_1").value(), 0);

    // No saved IDs: empty boxes; the whole catalogue, every row selected.
    EXPECT_TRUE(Get<QLineEdit>("txtID_0").text().isEmpty());
    EXPECT_TRUE(Get<QLineEdit>("txtID_1").text().isEmpty());
    ASSERT_EQ(List().count(), 80);
    const auto catalogue = TableCatalogue();
    for (int row = 0; row < 80; ++row) {
        EXPECT_EQ(List().item(row)->text().toStdString(), catalogue[static_cast<std::size_t>(row)]);
        EXPECT_TRUE(List().item(row)->isSelected()) << row;
    }
    EXPECT_EQ(List().selectionMode(), QAbstractItemView::MultiSelection);

    auto& log = Get<QPlainTextEdit>("TxtLog");
    EXPECT_TRUE(log.isReadOnly());
    EXPECT_TRUE(log.toPlainText().isEmpty());
    EXPECT_EQ(log.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(QApplication::focusWidget(), &Get<QLineEdit>("txtID_0"));
}

TEST_F(FrmMainWindowTest, LogUsesAKoreanFixedPitchFontWhoseLinesHoldTheirDescenders) {
    Open();
    const QFontInfo shown(Get<QPlainTextEdit>("TxtLog").font());
    EXPECT_TRUE(shown.family() == QStringLiteral("굴림체") || shown.family() == QStringLiteral("NanumGothicCoding"))
        << shown.family().toStdString();
    // 굴림체 at 9 points; the coding font at 10.5, where its descenders fit the line.
    EXPECT_EQ(Get<QPlainTextEdit>("TxtLog").font().pointSizeF(), shown.family() == QStringLiteral("굴림체") ? 9 : 10.5);
    const QFontMetrics lines(Get<QPlainTextEdit>("TxtLog").font());
    EXPECT_LT(lines.boundingRect(QStringLiteral("gjpy_[작업]")).bottom(), lines.descent());
    EXPECT_GE(lines.tightBoundingRect(QStringLiteral(".")).width(), 2);  // a full stop, not a speck
    // Fixed pitch: narrow and wide Latin letters take one cell, Korean syllables two.
    const QFontMetrics metrics(Get<QPlainTextEdit>("TxtLog").font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("i")), metrics.horizontalAdvance(QStringLiteral("W")));
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("가")), 2 * metrics.horizontalAdvance(QStringLiteral("a")));
}

TEST_F(FrmMainWindowTest, Arrangement) {
    Open();
    // The procedure top left, Command1 top right apart from it.
    const QRect heading = Place("Label1_0"), step1 = Place("Label1_2"), step2 = Place("Label1_4");
    const QRect command1 = Place("Command1");
    EXPECT_LT(heading.top(), step1.top());
    EXPECT_LT(step1.top(), step2.top());
    EXPECT_LT(heading.left(), 20);
    EXPECT_LT(command1.top(), step2.bottom());
    EXPECT_GT(command1.left(), step1.right());
    EXPECT_GT(command1.right(), window->width() - 30);

    // The ID row under the procedure: caption, box 0, the arrow, box 1; hosts under the boxes.
    const QRect caption = Place("Label1_3"), id0 = Place("txtID_0"), arrow = Place("lblArrow"), id1 = Place("txtID_1");
    EXPECT_GT(id0.top(), step2.bottom());
    EXPECT_LT(caption.right(), id0.left());
    EXPECT_LT(id0.right(), arrow.left());
    EXPECT_LT(arrow.right(), id1.left());
    for (const char* suffix : {"0", "1"}) {
        const QRect box = Place((std::string("txtID_") + suffix).c_str());
        const QRect host = Place((std::string("lblIP_") + suffix).c_str());
        EXPECT_GE(host.top(), box.bottom());
        EXPECT_TRUE(host.left() < box.right() && box.left() < host.right()) << suffix;
    }

    // The list on the left, the log right of it with the same height.
    const QRect list = Place("List1"), log = Place("TxtLog");
    EXPECT_GT(list.top(), Place("lblIP_0").bottom());
    EXPECT_LT(list.right(), log.left());
    EXPECT_EQ(list.top(), log.top());
    EXPECT_EQ(list.height(), log.height());
    EXPECT_LT(Place("Label2_12").bottom(), log.top());
    EXPECT_LT(Place("chkAll").bottom(), list.top());
    EXPECT_LT(Place("btnMSel").bottom(), list.top());

    // The bars at the bottom, "현재:" above "전체:", each label left of its bar.
    const QRect bar0 = Place("ProgressBar1_0"), bar1 = Place("ProgressBar1_1");
    EXPECT_GT(bar0.top(), list.bottom());
    EXPECT_GT(bar1.top(), bar0.bottom());
    EXPECT_LT(Place("Label2_6").right(), bar0.left());
    EXPECT_LT(Place("Label2_7").right(), bar1.left());
    EXPECT_GT(bar1.bottom(), window->height() - 40);
    guitest::SaveScreenshot(*window, "FrmMain");
}

TEST_F(FrmMainWindowTest, SavedIdsFillTheBoxesAndTypingSavesThem) {
    SaveSetting(FrmMain::kSettingsApp, "Config", "userid_0", "tarn01");
    SaveSetting(FrmMain::kSettingsApp, "Config", "userid_1", "velm01");
    Open();
    EXPECT_EQ(Get<QLineEdit>("txtID_0").text(), QStringLiteral("tarn01"));
    EXPECT_EQ(Get<QLineEdit>("txtID_1").text(), QStringLiteral("velm01"));
    EXPECT_EQ(model.DBName(0), "maketarn_tarn01");

    QLineEdit& box = Get<QLineEdit>("txtID_1");
    box.setFocus();
    box.selectAll();
    QTest::keyClicks(&box, QStringLiteral("v 2"));
    EXPECT_EQ(model.IdText(1), "v 2");
    EXPECT_EQ(model.DBName(1), "makevelm_v 2");
    EXPECT_EQ(GetSetting(FrmMain::kSettingsApp, "Config", "userid_1"), "v 2");
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&box, Qt::Key_Delete);
    EXPECT_EQ(GetSetting(FrmMain::kSettingsApp, "Config", "userid_1", "missing"), "");
    EXPECT_EQ(model.DBName(1), "");
}

TEST_F(FrmMainWindowTest, ListSelectionFollowsClicksSelectAllAndDownward) {
    Open();
    const int width = window->width();
    QCheckBox& all = Get<QCheckBox>("chkAll");
    // Unticking deselects every row, in the window and in the model.
    QTest::mouseClick(&all, Qt::LeftButton, {}, QPoint(8, all.height() / 2));
    EXPECT_FALSE(all.isChecked());
    EXPECT_EQ(List().selectedItems().size(), 0);
    EXPECT_EQ(model.List1().SelCount(), 0);

    // A click toggles one row and makes it the current row; others keep their state.
    ClickRow(3);
    ClickRow(5);
    ClickRow(3);
    EXPECT_EQ(model.List1().SelCount(), 1);
    EXPECT_TRUE(model.List1().Selected(5));
    EXPECT_EQ(model.List1().ListIndex(), 3);
    // One row of 80: the box is not shown ticked, and the count and the status line say so.
    EXPECT_EQ(all.checkState(), Qt::PartiallyChecked);
    EXPECT_FALSE(model.ChkAll());
    EXPECT_EQ(LabelText("lblSelCount"), QStringLiteral("1 / 80개 선택"));
    const QString five = List().item(5)->text();
    EXPECT_EQ(Get<QLabel>("lblStatus").toolTip(), QStringLiteral("80개 중 1개 테이블만 선택되어 있습니다: ") + five +
                                                      QStringLiteral(" · [시작]을 누르면 이 테이블만 복사합니다"));
    guitest::SaveScreenshot(*window, "FrmMain_partial_selection");
    // A click on the partly ticked box selects everything, a second one nothing.
    QTest::mouseClick(&all, Qt::LeftButton, {}, QPoint(8, all.height() / 2));
    EXPECT_EQ(model.List1().SelCount(), 80);
    EXPECT_EQ(all.checkState(), Qt::Checked);
    QTest::mouseClick(&all, Qt::LeftButton, {}, QPoint(8, all.height() / 2));
    EXPECT_EQ(model.List1().SelCount(), 0);
    EXPECT_EQ(all.checkState(), Qt::Unchecked);
    EXPECT_EQ(LabelText("lblStatus"), QStringLiteral("선택한 테이블이 없습니다 · 복사할 테이블을 고르세요"));
    ClickRow(5);

    // "↓" selects the current row and every row below it.
    ClickRow(40);  // selects 40, current 40
    ClickRow(40);  // deselects it again, current stays 40
    EXPECT_FALSE(model.List1().Selected(40));
    QTest::mouseClick(&Get<QPushButton>("btnMSel"), Qt::LeftButton);
    for (int row = 0; row < 80; ++row) {
        const bool expected = row >= 40 || row == 5;
        EXPECT_EQ(model.List1().Selected(row), expected) << row;
        EXPECT_EQ(List().item(row)->isSelected(), expected) << row;
    }

    // Alt+A, the box's access key, ticks it again: every row selected.
    QTest::keyClick(&*window, Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(guitest::WaitUntil([&] { return all.checkState() == Qt::Checked; }, 2000));
    EXPECT_EQ(model.List1().SelCount(), 80);
    EXPECT_EQ(List().selectedItems().size(), 80);
    EXPECT_EQ(window->width(), width);  // the counts and lines that changed never widened it
    guitest::SaveScreenshot(*window, "FrmMain_selection");
}

// Tab walks every enabled control in reading order and back to the start; the control
// with the focus is drawn apart from the others.
TEST_F(FrmMainWindowTest, TabReachesEveryControlInOrderWithAVisibleFocus) {
    Open();
    QPushButton& start = Get<QPushButton>("cmdStart");
    const QImage plain = start.grab().toImage();
    QStringList order;
    for (int i = 0; i < 20 && !order.contains(QApplication::focusWidget()->objectName()); ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(QApplication::focusWidget() != &start || start.grab().toImage() != plain);
    }
    EXPECT_EQ(order, (QStringList{"txtID_0", "txtID_1", "cmdStart", "cmdVerify", "cmdClose", "chkAll", "btnMSel",
                                  "List1", "cmdHistory", "cmdSaveLog", "TxtLog"}));
    EXPECT_EQ(QApplication::focusWidget(), &Get<QLineEdit>("txtID_0"));
}

TEST_F(FrmMainWindowTest, EscapeWorksTheCloseButton) {
    Open();
    QTest::keyClick(&Get<QLineEdit>("txtID_0"), Qt::Key_Escape);
    EXPECT_TRUE(model.Unloaded());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FrmMainWindowTest, StartWithAnEmptyIdAsksForItAndFocusesThatBox) {
    Open();
    QTest::keyClicks(&Get<QLineEdit>("txtID_0"), QStringLiteral("abc"));
    answerer.Plan({QMessageBox::Ok});
    bool ended = false;
    window->SetRunFinishedCallback([&] { ended = true; });
    QTest::mouseClick(&Get<QPushButton>("cmdStart"), Qt::LeftButton);
    EXPECT_TRUE(window->RunWorking());
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }));
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    EXPECT_EQ(answerer.Boxes()[0].text, QStringLiteral("Tarn ID를 입력하세요."));
    EXPECT_EQ(answerer.Boxes()[0].title, QStringLiteral("누리Tarn_To_누리Velm"));
    EXPECT_EQ(window->focusWidget(), &Get<QLineEdit>("txtID_1"));
    EXPECT_TRUE(Get<QPushButton>("cmdStart").isEnabled());
    EXPECT_TRUE(Get<QLineEdit>("txtID_0").isEnabled());
}

TEST_F(FrmMainWindowTest, RepairCommandIsOfferedOnlyThroughTheSupervisorChord) {
    SaveSetting(FrmMain::kSettingsApp, "Config", "userid_0", "tarn01");
    SaveSetting(FrmMain::kSettingsApp, "Config", "userid_1", "velm01");
    Open();
    QPushButton& command1 = Get<QPushButton>("Command1");
    QTest::mouseClick(&command1, Qt::LeftButton);
    EXPECT_FALSE(window->RunWorking());
    EXPECT_TRUE(answerer.Boxes().empty());

    QTest::keyClick(&*window, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(command1.isEnabled());

    // The command still warns and asks; No leaves everything as it was.
    answerer.Plan({QMessageBox::No});
    bool ended = false;
    window->SetRunFinishedCallback([&] { ended = true; });
    QTest::mouseClick(&command1, Qt::LeftButton);
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }));
    ASSERT_EQ(answerer.Boxes().size(), 1u);
    const auto& box = answerer.Boxes()[0];
    EXPECT_EQ(box.text, QStringLiteral("자료변환중 ordbook_d.parentseq 처리시 오류가 발생한 경우 해당 부분만 별도로 "
                                       "처리하는 기능입니다.\n정말 시작하시겠습니까?(반드시 1회만 처리해야 합니다. "
                                       "중복처리시 자료가 꼬입니다.)"));
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.defaultButton, QMessageBox::No);
    EXPECT_EQ(LabelText("lblIP_1"), QStringLiteral("000.000.000.000"));
    EXPECT_TRUE(command1.isEnabled());
}

TEST_F(FrmMainWindowTest, LogLinesAppendAtTheEndWhateverIsSelected) {
    Open();
    model.WriteLog("첫 줄");
    auto& log = Get<QPlainTextEdit>("TxtLog");
    log.selectAll();
    model.WriteLog("");
    model.WriteLog("customer: 12건 복사");
    EXPECT_EQ(log.toPlainText(), QStringLiteral("첫 줄\n\ncustomer: 12건 복사\n"));
    // A reader who scrolled up is not sent back to the end by a new line; one at the end is.
    for (int i = 0; i < 200; ++i) model.WriteLog("줄 " + std::to_string(i));
    QScrollBar& scroll = *log.verticalScrollBar();
    EXPECT_EQ(scroll.value(), scroll.maximum());
    scroll.setValue(0);
    model.WriteLog("새 줄");
    EXPECT_EQ(scroll.value(), 0);
    scroll.setValue(scroll.maximum());
    model.WriteLog("또 새 줄");
    EXPECT_EQ(scroll.value(), scroll.maximum());
    model.ClearLog();
    EXPECT_TRUE(log.toPlainText().isEmpty());
}

// Figures beside Korean text: a full stop and a comma differ at a glance ("127.0.0.2").
TEST_F(FrmMainWindowTest, FiguresUseAFaceWhereStopAndCommaDiffer) {
    Open();
    for (const char* name : {"lblStatus", "lblIP_0", "ProgressBar1_0"}) {
        const QFontMetrics metrics(Get<QWidget>(name).font());
        const QRect stop = metrics.tightBoundingRect(QStringLiteral("."));
        const QRect comma = metrics.tightBoundingRect(QStringLiteral(","));
        EXPECT_GE(stop.width(), 2) << name;
        EXPECT_GE(comma.height() - stop.height(), 2) << name;  // the comma's tail is plain to see
    }
    EXPECT_EQ(Get<QLabel>("lblStatus").accessibleName(), QStringLiteral("진행 상황"));
}

}  // namespace
