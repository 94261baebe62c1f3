#pragma once
// Fetching the upgrade package over HTTPS (plain HTTP only from this machine).

#include <cstdint>
#include <functional>
#include <string>

namespace upm {

struct DownloadOptions {
    long connectTimeoutSeconds = 30;
    long stallSeconds = 60;                        // no byte for this long: given up
    std::int64_t maxBytes = std::int64_t{1} << 30; // a package is far smaller
    int maxRedirects = 5;
    std::function<void()> idle; // lets the window repaint during the transfer
};

// Downloads url into a new file of folder (created exclusively; never through a link). Only a
// whole body answered with HTTP 200 counts; a redirect must keep to the address rule. On success
// returns true with the file's path; on failure the partial file is gone and why says what
// happened.
bool downloadPackage(const std::string& url, const std::string& folder,
                     const DownloadOptions& options, std::string& path, std::string& why);

} // namespace upm
