#include "download.h"

#include "arguments.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace upm {

namespace {

struct EasyDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

struct Transfer {
    int fd = -1;
    std::int64_t written = 0;
    std::int64_t maxBytes = 0;
    bool tooLarge = false;
    bool writeFailed = false;
    const std::function<void()>* idle = nullptr;
};

// Only the final answer's body is kept; redirect answers are dropped.
std::size_t onBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t bytes = size * count;
    if (transfer->written + static_cast<std::int64_t>(bytes) > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(transfer->fd, data + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            transfer->writeFailed = true;
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    transfer->written += static_cast<std::int64_t>(bytes);
    return bytes;
}

int onProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(context);
    if (transfer->idle != nullptr && *transfer->idle)
        (*transfer->idle)();
    return 0;
}

bool startOver(Transfer& transfer) {
    transfer.written = 0;
    return ::ftruncate(transfer.fd, 0) == 0 && ::lseek(transfer.fd, 0, SEEK_SET) == 0;
}

// One request of url; answers the status and, for a redirect, where it points.
bool fetchOnce(const std::string& url, const DownloadOptions& options, Transfer& transfer,
               long& status, std::string& redirect, std::string& why) {
    const std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
    if (!curl) {
        why = "the HTTP library cannot start";
        return false;
    }
    const bool secure = url.rfind("https:", 0) == 0;
    CURL* c = curl.get();
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    // Redirects are followed by the caller, which checks each hop against the address rule
    // (curl's own rule could not tell loopback from elsewhere).
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, secure ? "https" : "http");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, options.stallSeconds);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxBytes));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    const CURLcode code = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300 && status < 400) {
        char* location = nullptr;
        curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &location);
        redirect = location != nullptr ? location : "";
    }
    if (code == CURLE_OK)
        return true;
    if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        why = "the package is larger than " + std::to_string(options.maxBytes) + " bytes";
    else if (transfer.writeFailed)
        why = std::string("cannot write the package: ") + std::strerror(errno);
    else
        why = error[0] != '\0' ? error : curl_easy_strerror(code);
    return false;
}

} // namespace

bool downloadPackage(const std::string& url, const std::string& folder,
                     const DownloadOptions& options, std::string& path, std::string& why) {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!ready) {
        why = "the HTTP library cannot start";
        return false;
    }
    std::string name = folder + ".upmender-download.XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        why = "cannot create a file in " + folder + ": " + std::strerror(errno);
        return false;
    }
    Transfer transfer{fd, 0, options.maxBytes, false, false, &options.idle};
    std::string hop = url;
    bool done = false;
    for (int hops = 0; !done; ++hops) {
        if (auto refused = refusedAddress(hop)) {
            why = *refused;
            break;
        }
        if (!startOver(transfer)) {
            why = std::string("cannot write the package: ") + std::strerror(errno);
            break;
        }
        long status = 0;
        std::string redirect;
        if (!fetchOnce(hop, options, transfer, status, redirect, why))
            break;
        if (status == 200) {
            done = true;
        } else if (!redirect.empty() && hops < options.maxRedirects) {
            hop = redirect;
        } else {
            why = "the server answered HTTP " + std::to_string(status);
            break;
        }
    }
    if (done && ::fsync(fd) != 0) {
        why = std::string("cannot write the package: ") + std::strerror(errno);
        done = false;
    }
    ::close(fd);
    if (!done) {
        ::unlink(name.c_str());
        return false;
    }
    path = name;
    return true;
}

} // namespace upm
