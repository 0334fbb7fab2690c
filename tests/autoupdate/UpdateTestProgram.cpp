// nutv_update_test_program: a stand-in for the program in the end-to-end update tests. It
// starts the way the program does (RunAutoUpdate with the site of the running executable)
// and notes in its folder what happened. Its limits are the field's but shorter, so a
// trickling download or a hanging checker costs the tests seconds, not minutes:
//   runs.txt      "revision <own revision> end|continue" per start
//   messages.txt  "<buttons>|<title>|<prompt>" per message box (CR and LF written as \r, \n)
#include <fstream>

#include "autoupdate/modAutoUpdateV1_Launcher.h"
#include "common/MsgBox.h"

namespace {
std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return out;
}
}  // namespace

int main() {
    UpdateSite site = UpdateSite::OfRunningProgram();
    site.limits.slowWindow = std::chrono::seconds(2);
    site.limits.checkerWait = std::chrono::seconds(5);
    SetMsgBoxHandler([&](const std::string& prompt, int buttons, const std::string& title) {
        std::ofstream(site.programFolder + "/messages.txt", std::ios::app)
            << buttons << '|' << title << '|' << Escaped(prompt) << '\n';
        return mb::kOk;
    });
    const UpdateOutcome outcome = RunAutoUpdate(false, site);
    std::ofstream(site.programFolder + "/runs.txt", std::ios::app)
        << "revision " << site.ownRevision << (outcome == UpdateOutcome::EndProgram ? " end" : " continue") << '\n';
    return 0;
}
