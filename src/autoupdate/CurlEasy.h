#pragma once
#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

// Owners of libcurl's handles, and the settings every request of the update mechanism shares.
namespace update {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlEasyHandle = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;

// A new request handle for the URL (sent percent-encoded): HTTP and HTTPS only, redirects
// followed, certificates verified, and a stalled transfer (no byte for a minute) given up
// instead of blocking the start of the program forever. Null when libcurl fails to set
// itself up or refuses any of these settings: such a request does not go ahead.
CurlEasyHandle NewRequest(const std::string& url);

// Sets one option of a request; false when libcurl refuses it. A request with a setting
// refused does not go ahead: it would run without the rule or limit the setting keeps.
template <typename Value>
bool SetOption(CURL* handle, CURLoption option, Value value) {
    return curl_easy_setopt(handle, option, value) == CURLE_OK;
}

// A header list; null when empty.
CurlList HeaderList(const std::vector<std::string>& headers);

}  // namespace update
