#include <gtest/gtest.h>
#include <odbcinst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "connection/OdbcDataSources.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"

using testsupport::IsolatedEnvironment;
using testsupport::ReadFile;
using testsupport::ScriptedMsgBox;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {
std::string Section(const std::string& ini, const std::string& name) {
    auto start = ini.find("[" + name + "]");
    if (start == std::string::npos) return {};
    auto end = ini.find("\n[", start + 1);
    return ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
}
}  // namespace

TEST(OdbcDataSources, WritesEveryValueOfIndexOne) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    OdbcDataSources sources;
    ASSERT_TRUE(sources.CreateMyODBC("varok_DataConv160316_1", "makevelm_고객 a", "VarokSoft Data Convert 160316-1",
                                     "127.0.0.3", "고객 a"));
    EXPECT_TRUE(boxes.Boxes().empty());
    const std::string ini = ReadFile(env.UserOdbcIniPath());
    struct stat info {};
    ASSERT_EQ(::stat(env.UserOdbcIniPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);  // the account's own
    EXPECT_EQ(ReadFile(env.OdbcIniPath()), "");
    const std::string dsn = Section(ini, "varok_DataConv160316_1");
    EXPECT_NE(dsn.find("DATABASE=makevelm_고객 a\n"), std::string::npos) << ini;
    EXPECT_NE(dsn.find("UID=고객 a\n"), std::string::npos) << ini;
    EXPECT_NE(dsn.find("SERVER=127.0.0.3\n"), std::string::npos) << ini;
    EXPECT_NE(dsn.find("VarokSoft Data Convert 160316-1"), std::string::npos) << ini;
    EXPECT_NE(dsn.find("/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"), std::string::npos) << ini;
    EXPECT_NE(Section(ini, "ODBC Data Sources").find("varok_DataConv160316_1"), std::string::npos) << ini;
    EXPECT_NE(Section(ini, "ODBC Data Sources").find("MySQL ODBC 3.51 Driver"), std::string::npos) << ini;
}

// unixODBC strips blanks around values: an ID typed with blanks would connect as another
// account, so it is refused before anything is written.
TEST(OdbcDataSources, IdWithBlanksAroundIsRefusedNotSilentlyChanged) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    OdbcDataSources sources;
    EXPECT_FALSE(sources.CreateMyODBC("varok_DataConv160316_1", "makevelm_ abc ", "d-1", "127.0.0.3", " abc "));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].prompt.find("' abc '"), std::string::npos) << boxes.Boxes()[0].prompt;
    EXPECT_EQ(ReadFile(env.UserOdbcIniPath()), "");
}

TEST(OdbcDataSources, SecondRegistrationOfAnIndexReplacesTheFirst) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    // unixODBC has been asked for its folder before (by the program's earlier connections):
    // it then answers the next question differently from the first.
    std::array<char, 256> unused{};
    SQLGetPrivateProfileString("ODBC Data Sources", "x", "", unused.data(), unused.size(), "odbc.ini");
    OdbcDataSources sources;
    ASSERT_TRUE(sources.CreateMyODBC("varok_DataConv160316_0", "maketarn_a", "d-0", "127.0.0.2", "a"));
    ASSERT_TRUE(sources.CreateMyODBC("varok_DataConv160316_0", "maketarn_b", "d-0", "127.0.0.3", "b"));
    EXPECT_EQ(OdbcDataSources::UserOdbcIniPath(), env.UserOdbcIniPath());
    const std::string ini = ReadFile(env.UserOdbcIniPath());
    EXPECT_EQ(ini.find("[varok_DataConv160316_0]"), ini.rfind("[varok_DataConv160316_0]"));
    EXPECT_EQ(ini.find("maketarn_a"), std::string::npos) << ini;
    EXPECT_NE(ini.find("maketarn_b"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("127.0.0.2"), std::string::npos) << ini;
}

TEST(OdbcDataSources, DriverSearchTriesCandidatesInOrderAndCachesOnlySuccess) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    TempDir dir;
    OdbcDataSources sources({dir / "one.so", dir / "two.so", dir / "three.so"});
    EXPECT_EQ(sources.GetMyODBCPath(), "");
    EXPECT_FALSE(sources.CreateMyODBC("varok_DataConv160316_0", "maketarn_a", "d", "h", "a"));
    EXPECT_FALSE(sources.CreateMyODBC("varok_DataConv160316_0", "maketarn_a", "d", "h", "a"));
    EXPECT_EQ(boxes.Prompts(), (std::vector<std::string>{"MyODBC를 생성 dll파일을 찾을 수 없습니다.",
                                                         "MyODBC를 생성 dll파일을 찾을 수 없습니다."}));
    EXPECT_EQ(ReadFile(env.UserOdbcIniPath()), "");  // nothing written

    ::mkdir((dir / "two.so").c_str(), 0700);  // a folder is no driver
    WriteFile(dir / "three.so", "x");
    EXPECT_EQ(sources.GetMyODBCPath(), dir / "three.so");
    ::unlink((dir / "three.so").c_str());
    EXPECT_EQ(sources.GetMyODBCPath(), dir / "three.so");  // remembered, not searched again
}

TEST(OdbcDataSources, RefusedWriteIsReportedWithTheFileAndStopsTheCaller) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    // Make odbc.ini unwritable even for root: a folder in its place.
    ::mkdir(env.UserOdbcIniPath().c_str(), 0500);
    OdbcDataSources sources;
    EXPECT_FALSE(sources.CreateMyODBC("varok_DataConv160316_0", "maketarn_a", "d", "127.0.0.2", "a"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& prompt = boxes.Boxes()[0].prompt;
    EXPECT_EQ(prompt.rfind("Error 75 (", 0), 0u) << prompt;
    EXPECT_NE(prompt.find(env.UserOdbcIniPath()), std::string::npos) << prompt;
    EXPECT_NE(prompt.find(") in procedure CreateMyODBC of Form Form1"), std::string::npos) << prompt;
}

// The account's own section wins whole: a system one of the same name lends it no key. A
// file that another account could change is refused before anything is written to it.
TEST(OdbcDataSources, OwnSectionWinsWholeAndItsFileMustBePrivate) {
    IsolatedEnvironment env;
    ScriptedMsgBox boxes;
    WriteFile(env.OdbcIniPath(), "[varok_DataConv160316_1]\nDriver=/tmp/other.so\nSOCKET=/tmp/s\nSERVER=10.9.9.9\n");
    OdbcDataSources sources;
    ASSERT_TRUE(sources.CreateMyODBC("varok_DataConv160316_1", "makevelm_a", "d", "127.0.0.3", "a"));
    std::array<char, 256> value{};
    SQLGetPrivateProfileString("varok_DataConv160316_1", "SOCKET", "", value.data(), value.size(), "odbc.ini");
    EXPECT_STREQ(value.data(), "");
    SQLGetPrivateProfileString("varok_DataConv160316_1", "SERVER", "", value.data(), value.size(), "odbc.ini");
    EXPECT_STREQ(value.data(), "127.0.0.3");

    const std::string before = ReadFile(env.UserOdbcIniPath());
    ::chmod(env.UserOdbcIniPath().c_str(), 0666);
    EXPECT_FALSE(sources.CreateMyODBC("varok_DataConv160316_1", "makevelm_b", "d", "127.0.0.3", "b"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].prompt.find("다른 계정이 ODBC 설정 파일 " + env.UserOdbcIniPath()), std::string::npos)
        << boxes.Boxes()[0].prompt;
    EXPECT_EQ(ReadFile(env.UserOdbcIniPath()), before);
}
