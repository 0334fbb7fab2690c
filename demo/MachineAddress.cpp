// nutv-machine-address: prints the adapter address by which the admission check knows
// this computer (the same rule the program uses), for the demo and the end-to-end test,
// which admit it in the in-house database. Exits 1 when the computer has no such adapter.
#include <cstdio>

#include "common/MsgBox.h"
#include "startup/modVarokDBConsts.h"

int main() {
    SetMsgBoxHandler([](const std::string& prompt, int, const std::string&) {
        std::fprintf(stderr, "nutv-machine-address: %s\n", prompt.c_str());
        return mb::kOk;
    });
    const std::string address = GetMyMacAddress();
    if (address.empty()) return 1;
    std::printf("%s\n", address.c_str());
    return 0;
}
