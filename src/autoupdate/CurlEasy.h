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
// instead of blocking the start of the program forever. Null when libcurl fails.
CurlEasyHandle NewRequest(const std::string& url);

// A header list; null when empty.
CurlList HeaderList(const std::vector<std::string>& headers);

}  // namespace update
