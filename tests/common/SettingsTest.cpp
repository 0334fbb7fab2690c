#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/Settings.h"
#include "common/VbError.h"
#include "support/TestEnvironment.h"

using testsupport::IsolatedEnvironment;

TEST(Settings, MissingKeyReadsAsDefaultAndNothingIsWrittenByReading) {
    IsolatedEnvironment env;
    EXPECT_EQ(GetSetting("누리Tarn_To_누리Velm", "Config", "userid_0"), "");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "issave_passwd", "0"), "0");
    struct stat st {};
    EXPECT_NE(::stat(SettingsFilePath("누리Tarn_To_누리Velm").c_str(), &st), 0);
}

TEST(Settings, KoreanNamesAndAwkwardValuesRoundTrip) {
    IsolatedEnvironment env;
    const std::string tricky = " 앞뒤 공백 = 과 \\ 그리고\n줄바꿈 [x] ";
    SaveSetting("바록 업무관리", "Config", "passwd", tricky);
    SaveSetting("바록 업무관리", "Config", "issave_passwd", "1");
    SaveSetting("바록 업무관리", "다른 절", "passwd", "other");
    SaveSetting("바록 업무관리", "Config", "passwd", tricky + "2");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "passwd"), tricky + "2");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "issave_passwd"), "1");
    EXPECT_EQ(GetSetting("바록 업무관리", "다른 절", "passwd"), "other");
    // Applications do not share values.
    EXPECT_EQ(GetSetting("누리Tarn_To_누리Velm", "Config", "passwd", "none"), "none");
    SaveSetting("바록 업무관리", "Config", "passwd", "");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "passwd", "default"), "");
    // A deleted value is gone from its section only; the file keeps no trace of it.
    SaveSetting("바록 업무관리", "Config", "passwd", tricky);
    DeleteSetting("바록 업무관리", "Config", "passwd");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "passwd", "default"), "default");
    EXPECT_EQ(GetSetting("바록 업무관리", "Config", "issave_passwd"), "1");
    EXPECT_EQ(GetSetting("바록 업무관리", "다른 절", "passwd"), "other");
    EXPECT_EQ(testsupport::ReadFile(SettingsFilePath("바록 업무관리")).find("앞뒤"), std::string::npos);
    DeleteSetting("누리Tarn_To_누리Velm", "Config", "passwd");  // nothing to delete: no file made
    struct stat st {};
    EXPECT_NE(::stat(SettingsFilePath("누리Tarn_To_누리Velm").c_str(), &st), 0);
}

TEST(Settings, FileIsReadableByItsOwnerOnly) {
    IsolatedEnvironment env;
    ::umask(022);
    SaveSetting("바록 업무관리", "Config", "passwd", "secret");
    struct stat st {};
    ASSERT_EQ(::stat(SettingsFilePath("바록 업무관리").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(SettingsFilePath("바록 업무관리").rfind(env.ConfigHome(), 0), 0u);
}

TEST(Settings, UnwritableFolderRaisesAndKeepsOldValue) {
    if (::geteuid() == 0) {
        // root writes anywhere; make the target a folder instead so the rename fails.
        IsolatedEnvironment env;
        SaveSetting("앱", "Config", "k", "old");
        std::string path = SettingsFilePath("앱");
        ::unlink(path.c_str());
        ::mkdir(path.c_str(), 0700);
        testsupport::WriteFile(path + "/x", "");
        EXPECT_THROW(SaveSetting("앱", "Config", "k", "new"), VbError);
        return;
    }
    IsolatedEnvironment env;
    SaveSetting("앱", "Config", "k", "old");
    ::chmod(env.ConfigHome().c_str(), 0500);
    EXPECT_THROW(SaveSetting("앱", "Config", "k", "new"), VbError);
    ::chmod(env.ConfigHome().c_str(), 0700);
    EXPECT_EQ(GetSetting("앱", "Config", "k"), "old");
}
