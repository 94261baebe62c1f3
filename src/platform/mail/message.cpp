#include "message.h"

#include "cp1252.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <unistd.h>

namespace qm {

namespace {

// RFC 5322 caps a line at 998 octets; longer body lines go quoted-printable.
constexpr size_t kMaxLine = 998;

bool isControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

bool isPlainAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x80 && !isControl(c);
    });
}

std::string trimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// A subject typed over several lines stays one header: each run of controls becomes a blank.
std::string flattenHeaderText(std::string_view text) {
    std::string flat;
    bool inRun = false;
    for (const char c : text) {
        if (isControl(c)) {
            if (!inRun) {
                flat += ' ';
            }
            inRun = true;
            continue;
        }
        inRun = false;
        flat += c;
    }
    return flat;
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += kAlphabet[v >> 6 & 63];
        out += kAlphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

// RFC 2047 encoded-words, one a line, folded; a UTF-8 sequence is never split.
std::string encodedWords(std::string_view utf8) {
    // 52 base64 characters: with "=?UTF-8?B?...?=" and "Subject: " still under 76.
    constexpr size_t kMaxBytesPerWord = 39;
    std::string out;
    size_t start = 0;
    while (start < utf8.size()) {
        size_t end = std::min(start + kMaxBytesPerWord, utf8.size());
        while (end < utf8.size() && end > start &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += "=?UTF-8?B?" + base64(utf8.substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

// Every line end (CR LF, LF or CR alone) becomes CR LF; the text ends with one.
std::vector<std::string> bodyLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.push_back(std::move(line));
            line.clear();
        } else if (c != '\0') {
            line += c;
        }
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string quotedPrintable(const std::vector<std::string>& lines) {
    constexpr size_t kMaxEncoded = 76;
    std::string out;
    for (const std::string& line : lines) {
        size_t width = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const auto c = static_cast<unsigned char>(line[i]);
            const bool last = i + 1 == line.size();
            char piece[4] = {static_cast<char>(c), 0, 0, 0};
            if (c == '=' || c >= 0x7f || c < 0x20 || ((c == ' ' || c == '\t') && last) ||
                (c == '.' && width == 0)) {
                std::snprintf(piece, sizeof piece, "=%02X", c);
            }
            const size_t length = std::char_traits<char>::length(piece);
            if (width + length > kMaxEncoded - 1) {
                out += "=\r\n";
                width = 0;
            }
            out += piece;
            width += length;
        }
        out += "\r\n";
    }
    return out;
}

std::string messageId(const MailDate& date, std::string_view domain) {
    static std::atomic<unsigned> counter{0};
    static const unsigned long salt = std::random_device{}();
    char id[96];
    std::snprintf(id, sizeof id, "%lld.%d.%u.%lx", static_cast<long long>(date.when),
                  static_cast<int>(getpid()), counter++, salt);
    return "<" + std::string(id) + "@" + std::string(domain) + ">";
}

} // namespace

MailDate localMailDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return MailDate{when, local.tm_gmtoff};
}

std::string formatMailDate(const MailDate& date) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t shifted = date.when + date.utcOffsetSeconds;
    std::tm t{};
    gmtime_r(&shifted, &t);
    const long offsetMinutes =
        (date.utcOffsetSeconds < 0 ? -date.utcOffsetSeconds : date.utcOffsetSeconds) / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[t.tm_wday], t.tm_mday, kMonths[t.tm_mon], t.tm_year + 1900, t.tm_hour,
                  t.tm_min, t.tm_sec, date.utcOffsetSeconds < 0 ? '-' : '+', offsetMinutes / 60,
                  offsetMinutes % 60);
    return text;
}

std::string cleanAddress(std::string_view address) {
    std::string kept;
    for (const char c : address) {
        if (!isControl(c)) {
            kept += c;
        }
    }
    return trimBlanks(kept);
}

std::vector<std::string> deliveryRecipients(const Delivery& delivery) {
    std::vector<std::string> recipients;
    for (const std::string* address : {&delivery.to, &delivery.cc}) {
        std::string clean = cleanAddress(*address);
        if (!clean.empty() &&
            std::find(recipients.begin(), recipients.end(), clean) == recipients.end()) {
            recipients.push_back(std::move(clean));
        }
    }
    return recipients;
}

std::string messageIdDomainFor(std::string_view sender) {
    const std::string clean = cleanAddress(sender);
    const size_t at = clean.rfind('@');
    if (at != std::string::npos && at + 1 < clean.size()) {
        return clean.substr(at + 1);
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') {
        return host;
    }
    return "localhost";
}

std::string composeMessage(std::string_view from, const Delivery& delivery, const MailDate& date,
                           std::string_view messageIdDomain) {
    std::string message;
    auto header = [&message](std::string_view name, std::string_view value) {
        message.append(name).append(": ").append(value).append("\r\n");
    };
    const std::string cleanFrom = cleanAddress(cp1252ToUtf8(from));
    if (!cleanFrom.empty()) {
        header("From", cleanFrom);
    }
    const std::string to = cleanAddress(cp1252ToUtf8(delivery.to));
    if (!to.empty()) {
        header("To", to);
    }
    const std::string cc = cleanAddress(cp1252ToUtf8(delivery.cc));
    if (!cc.empty()) {
        header("Cc", cc);
    }
    const std::string subject = trimBlanks(flattenHeaderText(cp1252ToUtf8(delivery.subject)));
    header("Subject", isPlainAscii(subject) ? subject : encodedWords(subject));
    header("Date", formatMailDate(date));
    header("Message-ID", messageId(date, cleanAddress(messageIdDomain)));
    header("MIME-Version", "1.0");
    header("Content-Type", "text/plain; charset=UTF-8");

    const std::vector<std::string> lines = bodyLines(cp1252ToUtf8(delivery.body));
    const bool longLine = std::any_of(
        lines.begin(), lines.end(), [](const std::string& line) { return line.size() > kMaxLine; });
    header("Content-Transfer-Encoding", longLine ? "quoted-printable" : "8bit");
    message += "\r\n";
    if (longLine) {
        message += quotedPrintable(lines);
    } else {
        for (const std::string& line : lines) {
            message.append(line).append("\r\n");
        }
    }
    return message;
}

} // namespace qm
