#pragma once
#include <string>

// The download folder's address and the form in which addresses go onto the wire.
namespace update {

// The built-in download server followed by the download path (ends in "/").
std::string DownloadBaseUrl();

// The URL with every byte outside printable ASCII (the Korean path in UTF-8, spaces,
// control characters) percent-encoded, as HTTP requires.
std::string WireUrl(const std::string& url);

// The name of a program's version file: its file name up to the last "." (the whole name
// when it has none or starts with it) + "_lastver.txt".
std::string LatestFileOf(const std::string& programFile);

// "folder/name", without doubling the separator at the root.
std::string InFolder(const std::string& folder, const std::string& name);

}  // namespace update
