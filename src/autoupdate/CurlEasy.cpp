#include "autoupdate/CurlEasy.h"

#include "autoupdate/DownloadUrl.h"

namespace update {

namespace {
// libcurl's global set-up, once per process, before the first handle.
struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};
}  // namespace

CurlEasyHandle NewRequest(const std::string& url) {
    static CurlGlobal global;
    CurlEasyHandle handle(curl_easy_init());
    if (!handle) return handle;
    CURL* h = handle.get();
    const std::string wire = WireUrl(url);
    if (curl_easy_setopt(h, CURLOPT_URL, wire.c_str()) != CURLE_OK) return nullptr;
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
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
