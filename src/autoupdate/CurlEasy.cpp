#include "autoupdate/CurlEasy.h"

#include "autoupdate/DownloadUrl.h"

namespace update {

namespace {
// libcurl's global set-up, once per process, before the first handle.
struct CurlGlobal {
    CurlGlobal() : ready(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
    ~CurlGlobal() {
        if (ready) curl_global_cleanup();
    }
    const bool ready;
};
}  // namespace

CurlEasyHandle NewRequest(const std::string& url) {
    static const CurlGlobal global;
    if (!global.ready) return nullptr;
    CurlEasyHandle handle(curl_easy_init());
    if (!handle) return handle;
    CURL* h = handle.get();
    const std::string wire = WireUrl(url);
    const bool set = SetOption(h, CURLOPT_URL, wire.c_str()) && SetOption(h, CURLOPT_PROTOCOLS_STR, "http,https") &&
                     SetOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
                     SetOption(h, CURLOPT_FOLLOWLOCATION, 1L) && SetOption(h, CURLOPT_MAXREDIRS, 10L) &&
                     SetOption(h, CURLOPT_NOSIGNAL, 1L) && SetOption(h, CURLOPT_CONNECTTIMEOUT, 60L) &&
                     SetOption(h, CURLOPT_LOW_SPEED_LIMIT, 1L) && SetOption(h, CURLOPT_LOW_SPEED_TIME, 60L);
    if (!set) return nullptr;
    return handle;
}

CurlList HeaderList(const std::vector<std::string>& headers) {
    curl_slist* list = nullptr;
    for (const auto& header : headers) {
        curl_slist* grown = curl_slist_append(list, header.c_str());
        if (!grown) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = grown;
    }
    return CurlList(list);
}

}  // namespace update
