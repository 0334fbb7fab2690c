// UpdProbeV1.exe: the version checker. Started by the program with "<own revision>;<program
// file name>"; leaves "New_<program file name>" in its folder when the download folder
// has a newer program. Exit code: 0 done, 2 bad arguments, 3 no version information,
// 4 download failed, 1 unexpected error.
#include <iostream>

#include "ToolArguments.h"
#include "autoupdate/DownloadUrl.h"
#include "updprobe/VersionProbe.h"

int main(int argc, char** argv) {
    try {
        const auto arguments = update::ParseToolArguments(argc, argv);
        if (!arguments) {
            std::cerr << "usage: UpdProbeV1.exe <revision>;<program file name>\n";
            return 2;
        }
        return static_cast<int>(update::ProbeForNewProgram(arguments->first, arguments->second, update::ToolFolder(),
                                                           update::DownloadBaseUrl()));
    } catch (const std::exception& error) {
        std::cerr << "UpdProbeV1.exe: " << error.what() << '\n';
        return 1;
    }
}
