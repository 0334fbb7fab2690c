#pragma once
// A program folder and a download server's folder side by side in one temporary folder,
// for the tests that update a program from a local server.
#include <filesystem>
#include <optional>
#include <string>

#include "LocalHttpServer.h"
#include "support/TestEnvironment.h"

namespace testsupport {

class UpdateFolders {
protected:
    UpdateFolders() { std::filesystem::create_directories(app_); }

    // A file in the program folder.
    std::string App(const std::string& name) const { return app_ + "/" + name; }
    // Puts a file in the download folder.
    void Serve(const std::string& name, const std::string& content) const { WriteFile(dl_ + "/" + name, content); }

    TempDir dir_;
    std::string app_ = dir_ / "app";
    std::string www_ = dir_ / "www";
    std::string dl_ = DownloadFolderUnder(www_);
    std::optional<LocalHttpServer> server_;  // serves www_ once the test starts it
};

}  // namespace testsupport
