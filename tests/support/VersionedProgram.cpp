#include "support/VersionedProgram.h"

#include <sys/stat.h>

#include <cstdio>
#include <stdexcept>

#include "fileutil/VersionBlockWriter.h"
#include "fileutil/VersionResource.h"
#include "platform/Process.h"
#include "support/TestEnvironment.h"

namespace testsupport {

void CopyWithVersion(const std::string& source, const std::string& destination, const std::string& version,
                     const std::string& originalName) {
    fileutil::VersionBlockContent content;
    content.fileVersion = content.productVersion = fileutil::ParseVersionParts(version);
    const std::string name = originalName.empty() ? destination.substr(destination.rfind('/') + 1) : originalName;
    content.strings = {{"FileDescription", "test copy"},
                       {"FileVersion", version},
                       {"OriginalFilename", name},
                       {"ProductName", "누리Tarn_To_누리Velm"},
                       {"ProductVersion", version}};
    const auto block = fileutil::BuildVersionBlock(content);
    const std::string blockFile = destination + ".block";
    WriteFile(blockFile, std::string(block.begin(), block.end()));
    const std::string section = fileutil::kElfVersionSection;
    // --update-section needs the section to exist; --add-section needs it absent: remove, then add.
    const int rc = RunProgram({"objcopy", "--remove-section", section, "--add-section", section + "=" + blockFile,
                               "--set-section-flags", section + "=readonly", source, destination});
    std::remove(blockFile.c_str());
    if (rc != 0) throw std::runtime_error("objcopy failed for " + source);
    ::chmod(destination.c_str(), 0755);
}

int RunProgram(const std::vector<std::string>& argv, const std::string& workingFolder) {
    platform::SpawnOptions options;
    options.workingFolder = workingFolder;
    auto child = platform::ChildProcess::Start(argv, options);
    return child ? child->Wait() : -1;
}

void WriteScript(const std::string& path, const std::string& body) {
    WriteFile(path, "#!/bin/sh\n" + body);
    ::chmod(path.c_str(), 0755);
}

}  // namespace testsupport
