// A conversion run from the window against the test server: the run works on a worker
// thread while the window repaints and its bars move; the inputs are inert, closing asks
// to stop the run, 중지 stops it even on a frozen server; questions come in order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <optional>
#include <set>

#include "../conversion/ConversionFixture.h"
#include "GuiTestSupport.h"
#include "gui/FrmMainWindow.h"
#include "gui/MessageBoxes.h"
#include "support/OwnServer.h"

namespace {

constexpr int kRows = 20000;

class LiveRun : public ::testing::Test {
protected:
    LiveRun() : previous_(SetMsgBoxHandler(QtMsgBoxHandler())) {
        fx.CreateZeroDateTables();
        fx.TargetSql(
            "CREATE TABLE customer (code INT PRIMARY KEY, lastmodify DATETIME, lastemaildate DATETIME);"
            "CREATE TABLE product_m (code INT PRIMARY KEY, lastmodify DATETIME)");
        fx.SourceSql(
            "SET SESSION max_recursive_iterations = 1000000;"
            "INSERT INTO customer (code, lastmodify) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
            "WHERE i < " +
            std::to_string(kRows) + ") SELECT i, '2024-05-01 10:00:00' FROM n");
        window.emplace(fx.form);
        window->show();
        QApplication::setActiveWindow(&*window);
        window->SetRunFinishedCallback([this] { ended = true; });
    }
    ~LiveRun() override {
        window.reset();
        SetMsgBoxHandler(previous_);
    }

    template <class Widget>
    Widget& Get(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        if (!widget) throw std::runtime_error(std::string("no control ") + name);
        return *widget;
    }

    // The inputs a run must not let anyone change.
    std::vector<QWidget*> Inputs() {
        return {&Get<QLineEdit>("txtID_0"),   &Get<QLineEdit>("txtID_1"),   &Get<QListWidget>("List1"),
                &Get<QCheckBox>("chkAll"),    &Get<QPushButton>("btnMSel"), &Get<QPushButton>("cmdStart"),
                &Get<QPushButton>("cmdClose")};
    }
    bool AllInputsInert() {
        for (QWidget* input : Inputs())
            if (input->isEnabled()) return false;
        return true;
    }
    bool AllInputsEnabled() {
        for (QWidget* input : Inputs())
            if (!input->isEnabled()) return false;
        return true;
    }
    // Tries what a user might do during a run; true when none of it had an effect.
    bool RunCannotBeDisturbed() {
        const QString id = Get<QLineEdit>("txtID_0").text();
        QTest::keyClicks(&Get<QLineEdit>("txtID_0"), QStringLiteral("zz"));
        QTest::keyClick(&*window, Qt::Key_Escape);
        QTest::keyClick(&*window, Qt::Key_A, Qt::AltModifier);
        const bool closed = window->close();
        return !closed && window->isVisible() && !fx.form.Unloaded() && Get<QLineEdit>("txtID_0").text() == id &&
               fx.form.IdText(0) == fx.sourceId;
    }

    ConversionFixture fx;
    guitest::MessageBoxAnswerer answerer;
    std::optional<FrmMainWindow> window;
    bool ended = false;

private:
    MsgBoxHandler previous_;
};

TEST_F(LiveRun, WindowStaysLiveWhileTheRunWorks) {
    fx.Select({"customer"});
    window->LoadAndShow();  // the fixture's model was loaded already; loading again keeps its IDs
    fx.Select({"customer"});

    // What the window thread sees while the run works.
    std::set<int> barValues;
    bool checkedMidRun = false, inertMidRun = false, undisturbedMidRun = false;
    QProgressBar& bar = Get<QProgressBar>("ProgressBar1_0");
    QObject::connect(&bar, &QProgressBar::valueChanged, [&](int value) {
        barValues.insert(value);
        if (!checkedMidRun && value > kRows / 4 && value < kRows && window->RunWorking()) {
            checkedMidRun = true;
            inertMidRun = AllInputsInert();
            undisturbedMidRun = RunCannotBeDisturbed();  // closing asks to stop the run: No
            guitest::SaveScreenshot(*window, "FrmMain_running");
        }
    });
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += window->RunWorking() ? 1 : 0; });
    ticker.start(5);

    bool inertAtEnd = false, undisturbedAtEnd = false;
    answerer.OnBox([&](QMessageBox& box) {
        if (box.text() != QStringLiteral("복사가 완료되었습니다.")) return;
        inertAtEnd = AllInputsInert() && window->RunWorking();
        undisturbedAtEnd = RunCannotBeDisturbed();
        guitest::SaveScreenshot(*window, "FrmMain_completed");
    });
    answerer.Plan({QMessageBox::Yes, QMessageBox::No});
    QTest::mouseClick(&Get<QPushButton>("cmdStart"), Qt::LeftButton);
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }, 240000));

    ASSERT_EQ(answerer.Boxes().size(), 3u);
    EXPECT_EQ(answerer.Boxes()[0].icon, QMessageBox::Question);
    EXPECT_EQ(answerer.Boxes()[1].text, QStringLiteral("작업이 진행 중입니다.\n작업을 중지하고 창을 닫으시겠습니까?"));
    EXPECT_EQ(answerer.Boxes()[1].defaultButton, QMessageBox::No);
    EXPECT_EQ(answerer.Boxes()[2].text, QStringLiteral("복사가 완료되었습니다."));
    EXPECT_TRUE(inertAtEnd);
    EXPECT_TRUE(undisturbedAtEnd);
    // The bar moved in steps the window painted, and the window thread kept running.
    EXPECT_TRUE(checkedMidRun) << barValues.size() << " bar values seen";
    EXPECT_TRUE(inertMidRun);
    EXPECT_TRUE(undisturbedMidRun);
    EXPECT_GE(barValues.size(), 3u);
    EXPECT_GT(ticks, 5);

    // After the run: everything usable again and showing the run's result.
    EXPECT_TRUE(AllInputsEnabled());
    EXPECT_FALSE(window->RunWorking());
    EXPECT_EQ(Get<QPlainTextEdit>("TxtLog").toPlainText(), QStringLiteral("customer: %1건 복사\n").arg(kRows));
    EXPECT_EQ(Get<QLabel>("lblIP_0").text(), QStringLiteral("127.0.0.2"));
    EXPECT_EQ(Get<QLabel>("lblIP_1").text(), QStringLiteral("127.0.0.3"));
    EXPECT_EQ(bar.value(), kRows);
    EXPECT_EQ(Get<QProgressBar>("ProgressBar1_1").value(), Get<QProgressBar>("ProgressBar1_1").maximum());
    EXPECT_EQ(Get<QListWidget>("List1").currentRow(), 6);  // customer, the copied entry
    EXPECT_EQ(fx.TargetScalar("SELECT COUNT(*) FROM customer"), std::to_string(kRows));
    EXPECT_TRUE(window->close());
}

TEST_F(LiveRun, AFailingRunReportsAndGivesTheWindowBack) {
    window->LoadAndShow();
    fx.Select({"customer", "qlty"});  // qlty exists in neither database
    answerer.Plan({QMessageBox::Yes, QMessageBox::Ok});
    QTest::mouseClick(&Get<QPushButton>("cmdStart"), Qt::LeftButton);
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }, 240000));
    ASSERT_EQ(answerer.Boxes().size(), 2u);
    const QString report = answerer.Boxes()[1].text;
    EXPECT_TRUE(report.startsWith(QStringLiteral("Error -2147467259 ("))) << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral(") in procedure cmdStart_Click of Form Form1"))) << report.toStdString();
    EXPECT_EQ(Get<QPlainTextEdit>("TxtLog").toPlainText(), QStringLiteral("customer: %1건 복사\n").arg(kRows));
    EXPECT_TRUE(AllInputsEnabled());
    EXPECT_TRUE(window->close());
}

// The target server freezes mid-table (SIGSTOP): 중지 gives the window back at once, the
// log names the unfinished table, the next table is untouched, and once the server is
// back the next run completes.
TEST_F(LiveRun, StopEndsARunOnAFrozenServerAndTheNextRunCompletes) {
    testsupport::OwnServer own("127.0.0.5");
    testsupport::CreateCustomerDatabase(fx.targetId, fx.targetDb, own.address);
    testsupport::RegisterCustomer(fx.targetId, fx.targetDb, own.address);
    auto target = [&](const std::string& sql) { return testsupport::AdminScalar(sql, fx.targetDb, own.address); };
    testsupport::AdminSql(
        "CREATE TABLE customer (code INT PRIMARY KEY, lastmodify DATETIME, lastemaildate DATETIME);"
        "CREATE TABLE product_m (code INT PRIMARY KEY); CREATE TABLE qlty (code INT PRIMARY KEY);"
        "INSERT INTO qlty VALUES (99)",
        fx.targetDb, own.address);
    fx.SourceSql("CREATE TABLE qlty (code INT PRIMARY KEY); INSERT INTO qlty VALUES (1),(2)");
    window->LoadAndShow();
    fx.Select({"customer", "qlty"});
    QPushButton& stop = Get<QPushButton>("cmdStop");

    bool frozen = false;
    QElapsedTimer sinceStop;
    qint64 stopTook = -1;
    QObject::connect(&Get<QProgressBar>("ProgressBar1_0"), &QProgressBar::valueChanged, [&](int value) {
        if (frozen || value < kRows / 10) return;
        frozen = true;
        ::kill(own.pid, SIGSTOP);
        QTimer::singleShot(500, [&] {  // the run waits on the frozen server by then
            sinceStop.start();
            QTest::mouseClick(&stop, Qt::LeftButton);
        });
    });
    answerer.OnBox([&](QMessageBox& box) {
        if (box.text().startsWith(QStringLiteral("작업을 중지했습니다."))) stopTook = sinceStop.elapsed();
    });
    answerer.Plan({QMessageBox::Yes});
    QTest::mouseClick(&Get<QPushButton>("cmdStart"), Qt::LeftButton);
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }, 60000));
    ::kill(own.pid, SIGCONT);
    EXPECT_GE(stopTook, 0);
    EXPECT_LT(stopTook, 2000);               // an upper bound on the stop, not a measure of speed
    ASSERT_EQ(answerer.Boxes().size(), 2u);  // no completion message
    EXPECT_EQ(Get<QPlainTextEdit>("TxtLog").toPlainText(),
              QStringLiteral("customer: 중지됨 - 복사가 끝나지 않았습니다(미완료)\n작업을 중지했습니다.\n"));
    EXPECT_TRUE(AllInputsEnabled());
    EXPECT_FALSE(stop.isEnabled());
    EXPECT_EQ(target("SELECT GROUP_CONCAT(code) FROM qlty"), "99");

    ended = false;  // the partly copied customers make the next run ask first
    answerer.Plan({QMessageBox::Yes, QMessageBox::Yes});
    QTest::mouseClick(&Get<QPushButton>("cmdStart"), Qt::LeftButton);
    ASSERT_TRUE(guitest::WaitUntil([&] { return ended; }, 120000));
    EXPECT_EQ(answerer.Boxes().back().text, QStringLiteral("복사가 완료되었습니다."));
    EXPECT_EQ(target("SELECT COUNT(*) FROM customer"), std::to_string(kRows));
    EXPECT_EQ(target("SELECT GROUP_CONCAT(code ORDER BY code) FROM qlty"), "1,2");
}

}  // namespace
