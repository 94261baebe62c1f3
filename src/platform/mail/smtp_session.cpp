#include "smtp_session.h"

#include "message.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace qm {

namespace {

constexpr long kConnectTimeoutSeconds = 20;
constexpr long kTransferTimeoutSeconds = 120;

CURL* handleOf(void* curl) {
    return static_cast<CURL*>(curl);
}

std::string ehloName() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        return {};
    }
    return host;
}

std::string serverUrl(const MailTransport& settings) {
    std::string url = settings.security == SmtpSecurity::Tls ? "smtps://" : "smtp://";
    // An IPv6 literal needs its brackets in a URL.
    const bool ipv6 =
        settings.smtpHost.find(':') != std::string::npos && !settings.smtpHost.starts_with('[');
    url += ipv6 ? "[" + settings.smtpHost + "]" : settings.smtpHost;
    url += ":" + std::to_string(settings.smtpPort);
    // The path is what libcurl greets the server with; without one it says "localhost".
    url += "/" + ehloName();
    return url;
}

std::string trimLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace

struct SmtpSession::Exchange {
    std::string upload;
    size_t sent = 0;
    std::string lastRefusal; // a closing "221" may follow it, so refusals are kept apart
    char errorBuffer[CURL_ERROR_SIZE] = {};

    static size_t read(char* buffer, size_t size, size_t count, void* self) {
        auto* exchange = static_cast<Exchange*>(self);
        const size_t n = std::min(size * count, exchange->upload.size() - exchange->sent);
        std::memcpy(buffer, exchange->upload.data() + exchange->sent, n);
        exchange->sent += n;
        return n;
    }
    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }
    // The server's own words make a refusal understandable; keep its latest 4xx or 5xx line.
    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        if (type != CURLINFO_HEADER_IN || self == nullptr) {
            return 0;
        }
        std::string reply = trimLineEnd(std::string(data, size));
        const size_t lastBreak = reply.rfind('\n');
        if (lastBreak != std::string::npos) {
            reply = reply.substr(lastBreak + 1);
        }
        if (reply.starts_with('4') || reply.starts_with('5')) {
            static_cast<Exchange*>(self)->lastRefusal = std::move(reply);
        }
        return 0;
    }
};

SmtpSession::SmtpSession(MailTransport settings) : settings_(std::move(settings)) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

SmtpSession::~SmtpSession() {
    close();
}

Status SmtpSession::prepare() {
    if (settings_.smtpHost.empty()) {
        return mailError("The SMTP settings name no server.");
    }
    if (cleanAddress(settings_.senderAddress).empty()) {
        return mailError("The SMTP settings have no sender address.");
    }
    if (curl_ != nullptr) {
        return okStatus();
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return mailError("The SMTP session cannot be set up (out of memory).");
    }
    curl_easy_setopt(curl, CURLOPT_URL, serverUrl(settings_).c_str());
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     settings_.security == SmtpSecurity::StartTls
                         ? static_cast<long>(CURLUSESSL_ALL)
                         : static_cast<long>(CURLUSESSL_NONE));
    if (!settings_.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, settings_.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, settings_.password.c_str());
    }
    const std::string from = "<" + cleanAddress(settings_.senderAddress) + ">";
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, from.c_str());
    // A web proxy set for this desktop is no way to reach a mail server.
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Exchange::discard);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, &Exchange::read);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Exchange::debug);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_ = curl;
    return okStatus();
}

Status SmtpSession::perform(Exchange& exchange, const char* what) {
    CURL* curl = handleOf(curl_);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, exchange.errorBuffer);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &exchange);
    curl_easy_setopt(curl, CURLOPT_READDATA, &exchange);
    const CURLcode code = curl_easy_perform(curl);
    // The handle outlives this exchange: leave it nothing that points into it.
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    if (code == CURLE_OK) {
        return okStatus();
    }
    std::string text = std::string(what) + " (SMTP server " + settings_.smtpHost + " port " +
                       std::to_string(settings_.smtpPort) + "): " + curl_easy_strerror(code);
    if (exchange.errorBuffer[0] != '\0') {
        text += " - " + trimLineEnd(exchange.errorBuffer);
    }
    if (!exchange.lastRefusal.empty()) {
        text += ". The server said: " + exchange.lastRefusal;
    }
    return mailError(text);
}

Status SmtpSession::open() {
    if (Status ready = prepare(); !ready) {
        return ready;
    }
    // A NOOP after the greeting, TLS and log-in proves the whole sign-on, and unlike a
    // connect-only transfer it leaves the connection for the messages to reuse.
    CURL* curl = handleOf(curl_);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "NOOP");
    Exchange exchange;
    Status status = perform(exchange, "Cannot sign on");
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    if (!status) {
        close();
    }
    return status;
}

Status SmtpSession::send(const Delivery& delivery) {
    if (Status ready = prepare(); !ready) {
        return ready;
    }
    const std::vector<std::string> recipients = deliveryRecipients(delivery);
    if (recipients.empty()) {
        return mailError("The message has no address to go to.");
    }
    curl_slist* rcpt = nullptr;
    for (const std::string& address : recipients) {
        curl_slist* longer = curl_slist_append(rcpt, ("<" + address + ">").c_str());
        if (longer == nullptr) {
            curl_slist_free_all(rcpt);
            return mailError("The message cannot be addressed (out of memory).");
        }
        rcpt = longer;
    }
    Exchange exchange;
    exchange.upload =
        composeMessage(settings_.senderAddress, delivery, localMailDate(std::time(nullptr)),
                       messageIdDomainFor(settings_.senderAddress));
    CURL* curl = handleOf(curl_);
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE,
                     static_cast<curl_off_t>(exchange.upload.size()));
    Status status = perform(exchange, "The message was not sent");
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, nullptr);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 0L);
    curl_slist_free_all(rcpt);
    return status;
}

void SmtpSession::close() {
    if (curl_ == nullptr) {
        return;
    }
    CURL* curl = handleOf(curl_);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, nullptr);
    curl_easy_cleanup(curl); // sends QUIT on a live connection
    curl_ = nullptr;
}

} // namespace qm
