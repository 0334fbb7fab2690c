// UpdProbeV1.exe: the version checker. Started by the program with "<own revision>;<program
// file name>"; leaves "New_<program file name>" in its folder when the download folder
// has a newer program, verified. Exit code: 0 done, 2 bad arguments, 3 no version
// information, 4 download failed, 5 and up a refused download (see UpdateMessages.h),
// 1 unexpected error.
#include <iostream>

#include "ToolArguments.h"
#include "autoupdate/DownloadUrl.h"
#include "autoupdate/UpdateSignature.h"
#include "updprobe/VersionProbe.h"

int main(int argc, char** argv) {
    try {
        const auto arguments = update::ParseToolArguments(argc, argv);
        if (!arguments) {
            std::cerr << "usage: UpdProbeV1.exe <revision>;<program file name>\n";
            return 2;
        }
        const update::ProbeSite site{update::ToolFolder(), update::DownloadBaseUrl(), update::BuiltInPublicKey()};
        return update::ProbeForNewProgram(arguments->first, arguments->second, site);
    } catch (const std::exception& error) {
        std::cerr << "UpdProbeV1.exe: " << error.what() << '\n';
        return 1;
    }
}
