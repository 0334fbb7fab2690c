// The version checker as a process, against a local server at the built-in download
// address: it fetches the program as "New_…" only when the server has a newer revision.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "LocalHttpServer.h"
#include "UpdateFolders.h"
#include "common/BuiltInValues.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteFile;

namespace {

class UpdProbe : public ::testing::Test, protected testsupport::UpdateFolders {
protected:
    void SetUp() override {
        const auto port = testsupport::BuiltInLocalDownloadPort();
        if (!port) GTEST_SKIP() << "the built-in download server is not a local address: " << builtin::kDownloadServer;
        std::filesystem::copy_file(NUTV_UPDPROBE_PATH, App("UpdProbeV1.exe"));
        server_.emplace(www_, *port);
    }
    int Probe(const std::string& argument) const {
        return testsupport::RunProgram({App("UpdProbeV1.exe"), argument}, app_);
    }
};

}  // namespace

TEST_F(UpdProbe, NewerRevisionIsFetchedAsNewFile) {
    Serve("Prog_lastver.txt", "5\r\n");  // the program name: the file name up to its last "."
    testsupport::CopyWithVersion("/bin/true", dl_ + "/Prog.bin", "1.0.0.5");
    EXPECT_EQ(Probe("4;Prog.bin"), 0);
    EXPECT_TRUE(ReadFile(App("New_Prog.bin")) == ReadFile(dl_ + "/Prog.bin"));
    struct stat info {};
    ASSERT_EQ(::stat(App("New_Prog.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0111, 0111u);
}

TEST_F(UpdProbe, CurrentProgramFetchesNothing) {
    Serve("NuriConv_lastver.txt", "5");
    Serve("NuriConv", "program");
    EXPECT_EQ(Probe("5;NuriConv"), 0);
    EXPECT_EQ(Probe("12;NuriConv"), 0);
    EXPECT_EQ(server_->CountRequests("/NuriConv"), 0);
    EXPECT_EQ(testsupport::FileNames(app_), std::vector<std::string>{"UpdProbeV1.exe"});
}

TEST_F(UpdProbe, MissingVersionOrProgramLeavesNothingBehind) {
    EXPECT_EQ(Probe("1;NuriConv"), 3);  // no version file
    Serve("NuriConv_lastver.txt", "9");
    EXPECT_EQ(Probe("1;NuriConv"), 4);  // no program on the server
    EXPECT_EQ(testsupport::FileNames(app_), std::vector<std::string>{"UpdProbeV1.exe"});
}

TEST_F(UpdProbe, BadArgumentsAreRefused) {
    Serve("x_lastver.txt", "9");
    EXPECT_EQ(Probe("NuriConv"), 2);
    EXPECT_EQ(Probe("1;../x"), 2);
    EXPECT_EQ(Probe("1;"), 2);
    EXPECT_EQ(testsupport::FileNames(app_), std::vector<std::string>{"UpdProbeV1.exe"});
}
