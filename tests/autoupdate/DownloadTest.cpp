// OpenUrl and DownloadFile against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "LocalHttpServer.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/modAutoUpdateV1_Download.h"
#include "common/BuiltInValues.h"
#include "support/ScriptedMsgBox.h"
#include "support/TestEnvironment.h"

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

class Download : public ::testing::Test {
protected:
    Download() {
        std::filesystem::create_directories(root_);
        WriteFile(root_ + "/five.txt", "12345");
        WriteFile(root_ + "/thirty.txt", "123456789012345678901234567890");
        WriteFile(root_ + "/empty.txt", "");
        WriteFile(root_ + "/page.txt", "<html>Not Found: this page is gone</html>");
        std::mt19937 random(7);
        for (int i = 0; i < 200000; ++i) big_ += static_cast<char>(random());
        WriteFile(root_ + "/big.bin", big_);
        server_.emplace(root_);
    }

    std::string Url(const std::string& path) const { return server_->BaseUrl() + "/" + path; }
    std::string Dest(const std::string& name) const { return out_ + "/" + name; }

    testsupport::TempDir dir_;
    std::string root_ = dir_ / "www";
    std::string out_ = [this] {
        std::filesystem::create_directories(dir_ / "out");
        return dir_ / "out";
    }();
    std::string big_;
    std::optional<testsupport::LocalHttpServer> server_;
};

}  // namespace

TEST_F(Download, OpenUrlReadsAtMostTwentyBytes) {
    EXPECT_EQ(OpenUrl(Url("five.txt")), "12345");
    EXPECT_EQ(OpenUrl(Url("thirty.txt")), "12345678901234567890");
    EXPECT_EQ(OpenUrl(Url("empty.txt")), "");
    EXPECT_EQ(OpenUrl(Url("big.bin")), big_.substr(0, 20));
}

TEST_F(Download, OpenUrlReturnsErrorPagesLikeAnyBody) {
    EXPECT_EQ(OpenUrl(Url("__status/404/page.txt")), "<html>Not Found: thi");
    EXPECT_EQ(OpenUrl(Url("__status/500/five.txt")), "12345");
    EXPECT_EQ(OpenUrl(Url("missing.txt")), "");  // a 404 with an empty body
}

TEST_F(Download, OpenUrlFailuresGiveEmptyText) {
    EXPECT_EQ(OpenUrl("http://127.0.0.1:" + std::to_string(testsupport::UnusedPort()) + "/five.txt"), "");
    EXPECT_EQ(OpenUrl(Url("__cut/10/thirty.txt")), "");                      // broke off before 20 bytes
    EXPECT_EQ(OpenUrl(Url("__cut/25/thirty.txt")), "12345678901234567890");  // 20 bytes arrived
    EXPECT_EQ(OpenUrl("not a url"), "");
    EXPECT_EQ(OpenUrl("file://" + root_ + "/five.txt"), "");  // HTTP and HTTPS only
    EXPECT_EQ(OpenUrl(""), "");
}

TEST_F(Download, OpenUrlAsksTheServerItselfUnderItsAgentName) {
    std::filesystem::create_directories(testsupport::DownloadFolderUnder(root_));
    WriteFile(testsupport::DownloadFolderUnder(root_) + "/UpdProbeV1_lastver.txt", "7\r\n");
    EXPECT_EQ(OpenUrl(server_->DownloadUrl() + "UpdProbeV1_lastver.txt"), "7\r\n");
    const auto requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0],
              "/download/%EC%9E%90%EB%8F%99%EC%97%85%EB%8D%B0%EC%9D%B4%ED%8A%B8_v1/UpdProbeV1_lastver.txt\t"
              "VB OpenUrl\tno-cache\tno-cache");
}

TEST_F(Download, DownloadFileSavesTheWholeBody) {
    EXPECT_TRUE(DownloadFile(Url("big.bin"), Dest("big.bin")));
    EXPECT_EQ(ReadFile(Dest("big.bin")), big_);
    EXPECT_TRUE(DownloadFile(Url("empty.txt"), Dest("empty.txt")));
    EXPECT_EQ(ReadFile(Dest("empty.txt")), "");
    EXPECT_TRUE(DownloadFile(Url("__redirect/five.txt"), Dest("moved.txt")));
    EXPECT_EQ(ReadFile(Dest("moved.txt")), "12345");
    EXPECT_EQ(testsupport::FileNames(out_), (std::vector<std::string>{"big.bin", "empty.txt", "moved.txt"}));
}

TEST_F(Download, DownloadFileReplacesAFileAndKeepsItsPermissions) {
    WriteFile(Dest("tool"), "old tool");
    ::chmod(Dest("tool").c_str(), 0751);
    EXPECT_TRUE(DownloadFile(Url("five.txt"), Dest("tool")));
    EXPECT_EQ(ReadFile(Dest("tool")), "12345");
    struct stat info {};
    ASSERT_EQ(::stat(Dest("tool").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0751u);

    const mode_t old = ::umask(027);
    EXPECT_TRUE(DownloadFile(Url("five.txt"), Dest("new")));
    ::umask(old);
    ASSERT_EQ(::stat(Dest("new").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(Download, ErrorStatusLeavesTheOldFileInPlace) {
    WriteFile(Dest("UpdProbeV1.exe"), "working tool");
    EXPECT_FALSE(DownloadFile(Url("missing.exe"), Dest("UpdProbeV1.exe")));
    EXPECT_FALSE(DownloadFile(Url("__status/404/page.txt"), Dest("UpdProbeV1.exe")));
    EXPECT_FALSE(DownloadFile(Url("__status/500/five.txt"), Dest("UpdProbeV1.exe")));
    EXPECT_EQ(ReadFile(Dest("UpdProbeV1.exe")), "working tool");
    EXPECT_FALSE(DownloadFile(Url("missing.exe"), Dest("absent.exe")));
    EXPECT_EQ(testsupport::FileNames(out_), std::vector<std::string>{"UpdProbeV1.exe"});
}

TEST_F(Download, ConnectionCutMidDownloadLeavesTheOldFile) {
    WriteFile(Dest("Prog"), "old program");
    EXPECT_FALSE(DownloadFile(Url("__cut/100000/big.bin"), Dest("Prog")));
    EXPECT_EQ(ReadFile(Dest("Prog")), "old program");
    EXPECT_FALSE(
        DownloadFile("http://127.0.0.1:" + std::to_string(testsupport::UnusedPort()) + "/big.bin", Dest("Prog")));
    EXPECT_EQ(ReadFile(Dest("Prog")), "old program");
    EXPECT_EQ(testsupport::FileNames(out_), std::vector<std::string>{"Prog"});
}

TEST_F(Download, UnwritableDestinationFails) {
    EXPECT_FALSE(DownloadFile(Url("five.txt"), "/proc/nutv-download-test"));  // not writable even for root
    EXPECT_FALSE(DownloadFile(Url("five.txt"), dir_ / "no/such/folder/file"));
    std::filesystem::create_directories(Dest("a-folder"));
    EXPECT_FALSE(DownloadFile(Url("five.txt"), Dest("a-folder")));
    EXPECT_TRUE(std::filesystem::is_directory(Dest("a-folder")));
    EXPECT_FALSE(DownloadFile(Url("five.txt"), Dest("")));
    EXPECT_EQ(testsupport::FileNames(out_), std::vector<std::string>{"a-folder"});
    if (::geteuid() != 0) {  // permissions do not stop root
        std::filesystem::create_directories(dir_ / "locked");
        ::chmod((dir_ / "locked").c_str(), 0555);
        EXPECT_FALSE(DownloadFile(Url("five.txt"), dir_ / "locked/file"));
    }
}

TEST(DownloadUrl, KoreanPathIsPercentEncodedOnTheWire) {
    EXPECT_EQ(update::WireUrl("http://h:1/download/자동업데이트_v1/a b.txt"),
              "http://h:1/download/%EC%9E%90%EB%8F%99%EC%97%85%EB%8D%B0%EC%9D%B4%ED%8A%B8_v1/a%20b.txt");
    EXPECT_EQ(update::WireUrl("http://h/x%41?q=1"), "http://h/x%41?q=1");
    EXPECT_EQ(update::DownloadBaseUrl(), std::string(builtin::kDownloadServer) + "/download/자동업데이트_v1/");
    EXPECT_EQ(update::InFolder("/", "x"), "/x");
    EXPECT_EQ(update::InFolder("/a", "x"), "/a/x");
}
