#pragma once
#include <functional>
#include <optional>
#include <string>

#include "autoupdate/UpdateLimits.h"

// Downloads that count only when whole: a clean end of the transfer, a success status, the
// announced length when the server gave one, within the size cap and the minimum rate,
// and accepted by the caller's check before the file takes the place of anything.
namespace update {

// Looks at the finished download (a complete file at the given temporary path, not yet in
// place); true to put it in place.
using DownloadCheck = std::function<bool(const std::string& temporaryPath)>;

enum class DownloadResult {
    Done,      // the destination now holds the checked download
    Failed,    // the transfer or the file system failed; nothing changed
    Refused,   // the download was complete but the check refused it; nothing changed
    NotSetUp,  // libcurl refused a setting the download needs: nothing was fetched
};

// Saves the body at the URL as the destination, through a hidden temporary file in the
// destination's folder that is renamed over it only when complete and accepted. A
// replaced file keeps its mode. Without a check every complete body is accepted.
DownloadResult DownloadChecked(const std::string& url, const std::string& destination, const UpdateLimits& limits,
                               const DownloadCheck& check = {});

// The whole body of a small resource (a signature file), kept in memory: Done with the
// body, or Failed when the transfer failed, the status was not a success or the body
// exceeds maxBytes (NotSetUp as above).
DownloadResult FetchSmall(const std::string& url, std::size_t maxBytes, const UpdateLimits& limits, std::string& body);

// True for the name of one of our temporary download files (".<name>.download-XXXXXX").
bool IsTemporaryDownloadName(const std::string& name);

// Removes the temporary download files a killed download left in the folder.
void RemoveStaleDownloads(const std::string& folder);

}  // namespace update
