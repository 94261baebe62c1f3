#include "arguments.h"

#include <curl/curl.h>
#include <memory>

namespace upm {

namespace {

bool isPlainName(const std::string& segment) {
    if (segment.empty() || segment == "." || segment == "..")
        return false;
    for (const char c : segment) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '~';
        if (!allowed)
            return false;
    }
    return true;
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string part(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK || text == nullptr)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

bool isLoopback(const std::string& host) {
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

} // namespace

std::optional<UpgradeRequest> parseArgument(const std::string& argument) {
    const auto colon = argument.find(':');
    if (argument.size() < 2 || argument[0] != '/' || colon == std::string::npos || colon == 1)
        return std::nullopt;
    UpgradeRequest request{argument.substr(1, colon - 1), argument.substr(colon + 1)};
    for (char& c : request.serverPath) {
        if (c == '_')
            c = '/';
    }
    std::size_t start = 0;
    for (;;) {
        const auto slash = request.serverPath.find('/', start);
        if (!isPlainName(request.serverPath.substr(start, slash - start)))
            return std::nullopt;
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return request;
}

std::string packageUrl(const std::string& baseUrl, const std::string& serverPath) {
    std::string base = baseUrl;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + "/" + serverPath + "/" + kPackageName;
}

std::optional<std::string> refusedAddress(const std::string& url) {
    const std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK)
        return "not a valid address: " + url;
    const std::string scheme = part(parsed.get(), CURLUPART_SCHEME);
    const std::string host = part(parsed.get(), CURLUPART_HOST);
    if (host.empty())
        return "no server in " + url;
    if (!part(parsed.get(), CURLUPART_USER).empty())
        return "a user name in " + url;
    if (scheme == "https")
        return std::nullopt;
    if (scheme == "http" && isLoopback(host))
        return std::nullopt;
    return "not an HTTPS address: " + url;
}

} // namespace upm
