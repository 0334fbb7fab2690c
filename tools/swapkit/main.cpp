// swapkit.exe: the file replacer. Started by the program, which ends right away, with
// "<program file name>;New_<program file name>"; replaces the program by the new file in
// its folder once it is verified, and starts it again. Exit code: 0 swapped, 1 failed
// (the program is started again all the same), 2 bad arguments.
#include <iostream>

#include "ToolArguments.h"
#include "autoupdate/UpdateSignature.h"
#include "swapkit/FileSwap.h"

int main(int argc, char** argv) {
    try {
        const auto arguments = update::ParseToolArguments(argc, argv);
        if (!arguments) {
            std::cerr << "usage: swapkit.exe <program file name>;New_<program file name>\n";
            return 2;
        }
        // A program that has not ended after a minute will not: give up rather than wait forever.
        return static_cast<int>(update::SwapAndRestart(update::ToolFolder(), arguments->first, arguments->second,
                                                       std::chrono::seconds(60), update::BuiltInPublicKey()));
    } catch (const std::exception& error) {
        std::cerr << "swapkit.exe: " << error.what() << '\n';
        return 1;
    }
}
