#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/Settings.h"
#include "conversion/TableCatalogue.h"
#include "conversion/record/RunHistory.h"
#include "conversion/record/RunRecord.h"
#include "support/TestEnvironment.h"
#include "window/FrmMain.h"

using testsupport::IsolatedEnvironment;

namespace {
constexpr const char* kApp = "누리Tarn_To_누리Velm";

bool SettingsFileExists() {
    struct stat st {};
    return ::stat(SettingsFilePath(kApp).c_str(), &st) == 0;
}

std::vector<bool> Selection(const FrmMain& form) {
    std::vector<bool> rows;
    rows.reserve(static_cast<std::size_t>(form.List1().ListCount()));
    for (int i = 0; i < form.List1().ListCount(); ++i) rows.push_back(form.List1().Selected(i));
    return rows;
}

// A loaded, shown window, as the user meets it.
struct ShownForm {
    FrmMain form;
    ShownForm() {
        form.Form_Load();
        form.Show();
    }
};
}  // namespace

TEST(FrmMainLoad, WithoutSettingsEverythingIsEmptyAndAllEightyRowsSelected) {
    IsolatedEnvironment env;
    FrmMain form;
    form.Form_Load();
    for (CustomerIndex i = 0; i <= 1; ++i) {
        EXPECT_EQ(form.IdText(i), "");
        EXPECT_EQ(form.DBName(i), "");
        EXPECT_EQ(form.DBHost(i), "");
        EXPECT_EQ(form.LblIP(i), "000.000.000.000");
    }
    ASSERT_EQ(form.List1().ListCount(), 80);
    EXPECT_EQ(form.List1().List(0), "local_user");
    EXPECT_EQ(form.List1().List(36), "ordbook_d");
    EXPECT_EQ(form.List1().List(79), "pda_regist_history");
    for (int i = 0; i < 80; ++i) EXPECT_EQ(form.List1().List(i), TableCatalogue()[i]);
    EXPECT_EQ(form.List1().SelCount(), 80);
    EXPECT_TRUE(form.ChkAll());
    EXPECT_FALSE(SettingsFileExists());
}

TEST(FrmMainLoad, SavedIdsFillBothBoxesAndNamesButNothingIsWritten) {
    IsolatedEnvironment env;
    SaveSetting(kApp, "Config", "userid_0", "abc");
    SaveSetting(kApp, "Config", "userid_1", " 새고객 ");
    struct stat before {};
    ::stat(SettingsFilePath(kApp).c_str(), &before);
    const std::string contentBefore = testsupport::ReadFile(SettingsFilePath(kApp));

    FrmMain form;
    form.Form_Load();
    EXPECT_EQ(form.IdText(0), "abc");
    EXPECT_EQ(form.IdText(1), " 새고객 ");
    EXPECT_EQ(form.DBName(0), "maketarn_abc");
    EXPECT_EQ(form.DBName(1), "makevelm_ 새고객 ");
    struct stat after {};
    ::stat(SettingsFilePath(kApp).c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(testsupport::ReadFile(SettingsFilePath(kApp)), contentBefore);
}

TEST(FrmMainIds, TypingStoresAtOnceAndDerivesTheDatabaseName) {
    IsolatedEnvironment env;
    ShownForm shown;
    FrmMain& form = shown.form;
    form.SetIdText(0, "a");
    EXPECT_EQ(GetSetting(kApp, "Config", "userid_0", "missing"), "a");
    EXPECT_EQ(form.DBName(0), "maketarn_a");
    form.SetIdText(1, "abc");
    EXPECT_EQ(form.DBName(1), "makevelm_abc");
    EXPECT_EQ(GetSetting(kApp, "Config", "userid_1"), "abc");

    form.SetIdText(0, "");
    EXPECT_EQ(GetSetting(kApp, "Config", "userid_0", "missing"), "");
    EXPECT_EQ(form.DBName(0), "");

    form.SetIdText(0, "   ");
    EXPECT_EQ(GetSetting(kApp, "Config", "userid_0"), "   ");
    EXPECT_EQ(form.DBName(0), "");

    form.SetIdText(0, " abc ");
    EXPECT_EQ(form.DBName(0), "maketarn_ abc ");
}

TEST(FrmMainIds, ChangingAnIdClearsItsHostButNotTheHostLabel) {
    IsolatedEnvironment env;
    ShownForm shown;
    FrmMain& form = shown.form;
    form.SetIdText(0, "abc");
    form.SetDBHost(0, "127.0.0.2");
    form.SetDBHost(1, "127.0.0.3");
    form.SetLblIP(0, "127.0.0.2");
    form.SetIdText(0, "abc");  // same database name, host cleared all the same
    EXPECT_EQ(form.DBHost(0), "");
    EXPECT_EQ(form.DBHost(1), "127.0.0.3");
    EXPECT_EQ(form.LblIP(0), "127.0.0.2");
}

TEST(FrmMainList, SelectAllAndSelectDownward) {
    IsolatedEnvironment env;
    ShownForm shown;
    FrmMain& form = shown.form;
    form.List1().SetSelected(3, false);
    form.SetChkAll(false);
    EXPECT_EQ(form.List1().SelCount(), 0);
    form.List1().SetSelected(1, true);
    form.SetChkAll(true);
    EXPECT_EQ(form.List1().SelCount(), 80);

    form.SetChkAll(false);
    form.List1().SetSelected(2, true);
    form.SetCurrentRow(10);
    form.btnMSel_Click();
    std::vector<bool> expected(80, false);
    expected[2] = true;
    for (int i = 10; i < 80; ++i) expected[i] = true;
    EXPECT_EQ(Selection(form), expected);

    // The box is already unticked: setting it again fires nothing, so tick and untick.
    form.SetChkAll(false);
    EXPECT_EQ(form.List1().SelCount(), 71);
    form.SetChkAll(true);
    form.SetChkAll(false);
    form.SetCurrentRow(79);
    form.btnMSel_Click();
    EXPECT_EQ(form.List1().SelCount(), 1);
    EXPECT_TRUE(form.List1().Selected(79));
}

TEST(FrmMainList, SelectDownwardWithoutCurrentRowChangesNothing) {
    IsolatedEnvironment env;
    ShownForm shown;
    shown.form.SetChkAll(false);
    ASSERT_EQ(shown.form.List1().ListIndex(), -1);
    shown.form.btnMSel_Click();
    EXPECT_EQ(shown.form.List1().SelCount(), 0);
}

TEST(FrmMainLog, LinesEndWithCrLfAndAnEmptyMessageIsABareBreak) {
    IsolatedEnvironment env;
    FrmMain form;
    form.WriteLog("a", 0);
    form.WriteLog("b", 0);
    EXPECT_EQ(form.TxtLog(), "a\r\nb\r\n");
    form.WriteLog("", 0);
    EXPECT_EQ(form.TxtLog(), "a\r\nb\r\n\r\n");
    form.ClearLog();
    form.WriteLog("첫 줄", 0);
    EXPECT_EQ(form.TxtLog(), "첫 줄\r\n");
}

TEST(FrmMainClose, CloseUnloadsTheWindow) {
    IsolatedEnvironment env;
    ShownForm shown;
    std::vector<FrmMain::Change> changes;
    shown.form.SetChangeListener([&](FrmMain::Change c) { changes.push_back(c); });
    EXPECT_FALSE(shown.form.Unloaded());
    shown.form.cmdClose_Click();
    EXPECT_TRUE(shown.form.Unloaded());
    EXPECT_EQ(changes, std::vector<FrmMain::Change>{FrmMain::Change::Unloaded});
}

TEST(FrmMainProgress, AdvancingTellsListenersOfVisibleStepsOnlyAndKeepsTheExactValue) {
    FrmMain form;
    std::vector<float> heard;
    form.SetChangeListener([&](FrmMain::Change change) {
        if (change == FrmMain::Change::Progress) heard.push_back(form.Progress(0).Value);
    });
    form.SetProgressMax(0, 1000000);
    form.SetProgressValue(0, 0);
    heard.clear();
    for (int i = 0; i < 1000000; ++i) form.AdvanceProgress(0);
    EXPECT_EQ(form.Progress(0).Value, 1000000);
    // A thousandth of the bar at a time, and the end itself.
    EXPECT_EQ(heard.size(), 1000u);
    EXPECT_EQ(heard.front(), 1000);
    EXPECT_EQ(heard.back(), 1000000);

    // A short bar is heard at every step; setting a value is always heard.
    form.SetProgressMax(0, 3);
    form.SetProgressValue(0, 0);
    heard.clear();
    for (int i = 0; i < 3; ++i) form.AdvanceProgress(0);
    EXPECT_EQ(heard, (std::vector<float>{1, 2, 3}));
    // Beyond the maximum (a table that grew after it was counted) every step is heard.
    form.AdvanceProgress(0);
    EXPECT_EQ(heard.back(), 4);
}

// The history lists records newest first with their kind, those named and headed without it
// (verifications told by their summary) included.
TEST(FrmMainHistory, RecordsOfEveryNameAreListedNewestFirst) {
    IsolatedEnvironment env;
    const std::string folder = RunRecordsFolder(), ids = "원본(Tarn) ID: a, DB: x\n대상(Velm) ID: b, DB: y\n";
    std::filesystem::create_directories(folder);
    WriteRecordFile(folder + "/20261201-090000_a_b.txt", "누리Tarn_To_누리Velm 작업 기록\n결과: 실패\n시작: 1일\n" +
                                                             ids + "[작업 요약] 결과: 실패 (검증만, 바꾼 것 없음)\n");
    WriteRecordFile(folder + "/20261202-090000_a_b.txt",
                    "누리Tarn_To_누리Velm 작업 기록\n결과: 중지\n시작: 2일\n" + ids);
    WriteRecordFile(folder + "/20261203-090000_다시복사_a_b.txt",
                    RecordTitle(RunKind::Retry) + "\n결과: 완료\n시작: 3일\n" + ids);
    std::vector<std::string> rows;
    for (const RunRecordEntry& e : RecentRunRecords())
        rows.push_back(e.started + " " + e.kind + " " + e.ids + " " + e.outcome);
    EXPECT_EQ(rows,
              (std::vector<std::string>{"3일 다시 복사 a → b 완료", "2일 복사 a → b 중지", "1일 검증 a → b 실패"}));
}
