#include "autoupdate/modAutoUpdateV1_Download.h"

#include <algorithm>

#include "autoupdate/CheckedDownload.h"
#include "autoupdate/CurlEasy.h"

namespace {

constexpr std::size_t kReadSize = 20;  // one read of a version file

struct FirstBytes {
    std::string text;
    bool full = false;
};

std::size_t KeepFirstBytes(char* data, std::size_t size, std::size_t count, void* state) {
    auto& first = *static_cast<FirstBytes*>(state);
    const std::size_t n = size * count;
    const std::size_t take = std::min(n, kReadSize - first.text.size());
    first.text.append(data, take);
    if (take < n) {
        first.full = true;
        return 0;  // the rest is not wanted: end the transfer here
    }
    return n;
}

}  // namespace

std::string OpenUrl(const std::string& url) {
    auto request = update::NewRequest(url);
    if (!request) return {};
    CURL* h = request.get();
    // Always ask the server itself: version files change without their address changing.
    auto headers = update::HeaderList({"Cache-Control: no-cache", "Pragma: no-cache"});
    FirstBytes first;
    // A version file is a few bytes: no reason to wait longer than a minute.
    using update::SetOption;
    const bool set = SetOption(h, CURLOPT_USERAGENT, "VB OpenUrl") && SetOption(h, CURLOPT_HTTPHEADER, headers.get()) &&
                     SetOption(h, CURLOPT_WRITEFUNCTION, KeepFirstBytes) &&
                     SetOption(h, CURLOPT_WRITEDATA, static_cast<void*>(&first)) && SetOption(h, CURLOPT_TIMEOUT, 60L);
    if (!set) return {};
    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && first.full)) return first.text;
    return {};
}

bool DownloadFile(const std::string& url, const std::string& destination) {
    return update::DownloadChecked(url, destination, update::kFieldLimits) == update::DownloadResult::Done;
}
