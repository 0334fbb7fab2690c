#pragma once
#include <string>

// modAutoUpdateV1_Download: the two network functions of the update launcher. They never
// show a message; failure shows only in the result.

// The first bytes (at most 20) of the body at the URL, whatever the HTTP status, fetched
// from the server itself (no cache); "" on any failure or an empty body.
std::string OpenUrl(const std::string& url);

// Saves the body at the URL as the destination file; true when done. The body lands in a
// temporary file next to the destination and replaces it only after a complete transfer
// with a success status (2xx) and the announced length, so a broken-off download or an
// error page never takes the place of a working file. A replaced file keeps its
// permissions. Bounded by the field limits (minimum rate, whole time, size cap).
bool DownloadFile(const std::string& url, const std::string& destination);
