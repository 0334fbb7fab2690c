// The update mechanism against a download server that misbehaves, one fault per case, with
// the real launcher (in the program stand-in), the real checker and the real replacer in a
// temporary program folder. Every case starts from program, checker and replacer at
// revision 1, revision 2 of each on the server and a temporary file a killed download
// left behind; whatever the fault, the program reaches the sign-in, the folder holds
// nothing but the files in place or verified downloads, and no start hands over twice.
#include <gtest/gtest.h>

#include <filesystem>

#include "LocalHttpServer.h"
#include "SigningTestKey.h"
#include "autoupdate/UpdateMessages.h"
#include "common/BuiltInValues.h"
#include "support/TestEnvironment.h"
#include "support/VersionedProgram.h"

using testsupport::ReadFile;
using testsupport::WriteFile;
using update::Verdict;

namespace {

constexpr const char* kProgram = "NuriConv";
constexpr const char* kChecker = "UpdProbeV1.exe";
constexpr const char* kReplacer = "swapkit.exe";

// What the program folder holds afterwards: everything as before, the tools replaced by
// their verified downloads, or the program too.
enum class Replaced { Nothing, Tools, ToolsAndProgram };

struct FaultCase {
    const char* name;
    bool signedUpdates;
    const char* faultyFile;  // the served file that misbehaves, "" for none
    const char* fault;       // how (http_server.py), or "nosig" / "badsig" for its signature
    const char* announced;   // the program's version file
    Replaced replaced;
    std::vector<std::string> messages;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<FaultCase> Cases() {
    using update::RefusedMessage;
    const std::string handOver = update::HandOverMessage();
    const auto tools = Replaced::Tools, nothing = Replaced::Nothing, all = Replaced::ToolsAndProgram;
    // clang-format off
    return {
        {"BodyCutWithoutLength", false, kProgram, "cut", "2", tools, {RefusedMessage(kProgram, Verdict::NotAProgram)}},
        {"HtmlPageWithStatus200", false, kChecker, "html", "2", nothing, {RefusedMessage(kChecker, Verdict::NotAProgram)}},
        {"EmptyBody", false, kProgram, "empty", "2", tools, {RefusedMessage(kProgram, Verdict::NotAProgram)}},
        {"EndlessBody", false, kProgram, "huge", "2", tools, {}},
        {"ToolTrickledBelowMinimumRate", false, kChecker, "trickle", "2", nothing, {}},
        {"ProgramTrickledPastTheCheckerWait", false, kProgram, "trickle", "2", tools, {update::CheckerTooSlowMessage()}},
        {"AnnouncedRevisionAboveServedProgram", false, "", "", "3", tools, {RefusedMessage(kProgram, Verdict::WrongRevision)}},
        {"AnnouncementRisesDuringTheUpdate", false, "NuriConv_lastver.txt", "rising:2:3", "2", all,
         {handOver, update::StillBehindMessage("2", 3)}},
        {"BadProgramSignature", true, kProgram, "badsig", "2", tools, {RefusedMessage(kProgram, Verdict::BadSignature)}},
        {"MissingCheckerSignature", true, kChecker, "nosig", "2", nothing, {RefusedMessage(kChecker, Verdict::MissingSignature)}},
        {"SignedUpdateSucceeds", true, "", "", "2", all, {handOver}},
    };
    // clang-format on
}

class UpdateFault : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        port_ = testsupport::BuiltInLocalDownloadPort();
        if (!port_) GTEST_SKIP() << "the built-in download server is not a local address: " << builtin::kDownloadServer;
        std::filesystem::create_directories(app_);
    }

    std::string App(const std::string& name) const { return app_ + "/" + name; }
    std::string Served(const std::string& name) const { return dl_ + "/" + name; }

    // Revision 1 in the program folder, revision 2 on the server (signed when the case is).
    void Install(bool signedUpdates) {
        const std::string program = signedUpdates ? NUTV_SIGNED_TEST_PROGRAM_PATH : NUTV_TEST_PROGRAM_PATH;
        const std::string checker = signedUpdates ? NUTV_SIGNED_UPDPROBE_PATH : NUTV_UPDPROBE_PATH;
        const std::string replacer = signedUpdates ? NUTV_SIGNED_SWAPKIT_PATH : NUTV_SWAPKIT_PATH;
        for (const auto& [source, name] : {std::pair{program, kProgram}, {checker, kChecker}, {replacer, kReplacer}}) {
            testsupport::CopyWithVersion(source, App(name), "1.0.0.1");
            testsupport::CopyWithVersion(source, Served(name), "1.0.0.2");
            before_[name] = ReadFile(App(name));
            served_[name] = ReadFile(Served(name));
        }
        WriteFile(Served("UpdProbeV1_lastver.txt"), "2\n");
        WriteFile(App(".NuriConv.download-Ab12Cd"), "half a program from a download killed earlier");
        if (!signedUpdates) return;
        WriteFile(dir_ / "key", std::string(testsupport::kTestPrivateKey) + "\n");
        ASSERT_EQ(testsupport::RunProgram({NUTV_SIGN_TOOL_PATH, "sign", dir_ / "key", Served(kProgram),
                                           Served(kChecker), Served(kReplacer)}),
                  0);
    }

    void Break(const FaultCase& c, testsupport::LocalHttpServer& server) {
        const std::string fault = c.fault;
        if (fault == "nosig") {
            std::filesystem::remove(Served(std::string(c.faultyFile) + ".sig"));
        } else if (fault == "badsig") {  // made with the right key, for another file
            WriteFile(Served(std::string(c.faultyFile) + ".sig"), ReadFile(Served(std::string(kReplacer) + ".sig")));
        } else if (!fault.empty()) {
            server.Misbehave(c.faultyFile, fault);
        }
    }

    testsupport::TempDir dir_;
    std::string app_ = dir_ / "app";
    std::string dl_ = testsupport::DownloadFolderUnder(dir_ / "www");
    std::optional<int> port_;
    std::map<std::string, std::string> before_, served_;
};

}  // namespace

TEST_P(UpdateFault, ProgramStillReachesTheSignInWithVerifiedFilesOnly) {
    const FaultCase& c = GetParam();
    Install(c.signedUpdates);
    WriteFile(Served(std::string(kProgram) + "_lastver.txt"), c.announced);
    testsupport::LocalHttpServer server(dir_ / "www", *port_);
    Break(c, server);

    EXPECT_EQ(testsupport::RunProgram({App(kProgram)}, app_), 0);
    // One hand-over at most, and the last start goes on to the sign-in.
    const bool programReplaced = c.replaced == Replaced::ToolsAndProgram;
    // (A restarted program runs on its own, after the first has ended.)
    const std::string runs = testsupport::WaitForFile(
        App("runs.txt"), [](const std::string& notes) { return notes.find("continue") != std::string::npos; });
    EXPECT_EQ(runs, programReplaced ? "revision 1 end\nrevision 2 continue\n" : "revision 1 continue\n")
        << ::testing::PrintToString(server.Requests());

    std::string messages;
    for (const auto& message : c.messages) messages += "0|누리Tarn_To_누리Velm|" + message + "\n";
    EXPECT_EQ(ReadFile(App("messages.txt")), messages);

    // Each file of the folder is the one in place before or the verified download.
    // (Compared as flags: a difference in megabytes of program says nothing more.)
    EXPECT_TRUE(ReadFile(App(kProgram)) == (programReplaced ? served_[kProgram] : before_[kProgram]));
    for (const char* tool : {kChecker, kReplacer})
        EXPECT_TRUE(ReadFile(App(tool)) == (c.replaced != Replaced::Nothing ? served_[tool] : before_[tool])) << tool;
    // Nothing else: no pending program, no temporary download (the killed one's is gone).
    std::vector<std::string> expected{kProgram, kChecker, "runs.txt", kReplacer};
    if (!c.messages.empty()) expected.push_back("messages.txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testsupport::FileNames(app_), expected);
    if (std::string(c.fault) == "huge") {
        EXPECT_GT(server.EndlessBytesSent(), 0);
        EXPECT_LT(server.EndlessBytesSent(), 512LL << 20);  // stopped far before its 1 GB
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, UpdateFault, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });
