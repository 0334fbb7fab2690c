#pragma once
#include <sys/types.h>

#include <optional>
#include <string>

// Where an account runs the program from. The system installation belongs to root, so
// no account can change what another runs, and an account cannot update it either: each
// account runs, and updates, its own copy in its data folder, which only it can change.
// The first start from the installation seeds that copy, later ones refresh it when the
// installation carries a newer revision.
namespace startup {

struct AccountLaunch {
    enum class Kind {
        RunHere,  // the running program's folder is the account's own: go on here
        RunCopy,  // run the account's copy (copyPath) in place of this program
        Refused,  // neither is safe: tell the user (message) and end
    };
    Kind kind = Kind::RunHere;
    std::string copyPath;
    std::string message;
};

// The account's copy of the program lives in $XDG_DATA_HOME/<program file name>
// (~/.local/share/<program file name> when XDG_DATA_HOME is unset or not absolute).
std::string AccountProgramFolder(const std::string& programFile);

// Decides for the running executable and the account; seeds or refreshes the account's
// copy (the program and both update tools) and checks it before it is named to run: every
// file and folder on its way only the account or root can change, the program a whole
// executable of ours no older than the installation's.
AccountLaunch PrepareAccountLaunch(const std::string& runningExecutable, uid_t account);

// Called first thing, before any thread or window: runs the account's copy in place of this
// process when that is where this account runs (and does not return then). Returns what to
// tell the user when the program must end; nothing to go on here.
std::optional<std::string> ContinueInAccountCopy(char** argv);

}  // namespace startup
