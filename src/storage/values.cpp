#include "values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qm {

namespace {

bool readDigits(std::string_view text, size_t& pos, size_t count, int& out) {
    out = 0;
    for (size_t i = 0; i < count; ++i, ++pos) {
        if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
            return false;
        out = out * 10 + (text[pos] - '0');
    }
    return true;
}

// One to `most` digits.
bool readSomeDigits(std::string_view text, size_t& pos, size_t most, int& out) {
    out = 0;
    size_t n = 0;
    while (n < most && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        out = out * 10 + (text[pos] - '0');
        ++pos;
        ++n;
    }
    return n > 0;
}

bool expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

std::string twoDigits(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

} // namespace

bool isValidDate(int year, int month, int day) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = month == 2 && leap ? 29 : days[month - 1];
    return day <= last;
}

std::string formatIsoDateTime(const DateTime& w) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", w.year, w.month, w.day, w.hour,
                  w.minute, w.second);
    return buf;
}

std::string formatDateLiteral(const DateTime& w) {
    std::string out = formatIsoDateTime(w);
    if (!w.hasTime())
        out.resize(10);
    return out;
}

std::optional<DateTime> parseDateLiteral(std::string_view text) {
    DateTime d;
    size_t pos = 0;
    if (!readDigits(text, pos, 4, d.year) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, d.month) || !expect(text, pos, '-') ||
        !readDigits(text, pos, 2, d.day))
        return std::nullopt;
    if (pos < text.size()) {
        if (!expect(text, pos, ' ') || !readDigits(text, pos, 2, d.hour) ||
            !expect(text, pos, ':') || !readDigits(text, pos, 2, d.minute) ||
            !expect(text, pos, ':') || !readDigits(text, pos, 2, d.second) || pos != text.size())
            return std::nullopt;
    }
    if (!isValidDate(d.year, d.month, d.day) || d.hour > 23 || d.minute > 59 || d.second > 59)
        return std::nullopt;
    return d;
}

std::string formatShortDate(const DateTime& d) {
    char year[8];
    std::snprintf(year, sizeof year, "%04d", d.year); // read back as four digits
    return std::to_string(d.month) + "/" + std::to_string(d.day) + "/" + year;
}

std::optional<DateTime> parseShortDate(std::string_view text) {
    DateTime d;
    size_t pos = 0;
    if (!readSomeDigits(text, pos, 2, d.month) || !expect(text, pos, '/') ||
        !readSomeDigits(text, pos, 2, d.day) || !expect(text, pos, '/') ||
        !readDigits(text, pos, 4, d.year) || pos != text.size())
        return std::nullopt;
    if (!isValidDate(d.year, d.month, d.day))
        return std::nullopt;
    return d;
}

std::string formatStatementDate(const DateTime& d) {
    char year[8];
    std::snprintf(year, sizeof year, "%04d", d.year);
    return twoDigits(d.month) + "/" + twoDigits(d.day) + "/" + year;
}

std::string formatNumber(double value) {
    if (!std::isfinite(value))
        return "0";
    if (value == 0)
        return "0"; // also -0
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string out(buf, res.ptr);
    if (out.starts_with("0."))
        out.erase(0, 1);
    else if (out.starts_with("-0."))
        out.erase(1, 1);
    return out;
}

std::optional<double> parseNumber(std::string_view text) {
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        size_t expDigits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            ++pos, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (pos != text.size())
        return std::nullopt;
    // from_chars takes neither a leading '+' nor a bare ".5" after a sign, so help it.
    std::string normal(text.starts_with('+') ? text.substr(1) : text);
    double value = 0;
    const auto res = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string formatFee(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::isfinite(value) ? value : 0.0);
    std::string out(buf);
    if (out == "-0.00")
        out = "0.00";
    if (out.starts_with("0."))
        out.erase(0, 1);
    else if (out.starts_with("-0."))
        out.erase(1, 1);
    return out;
}

long roundFeeToDollars(double value) {
    // Beyond any fee, and beyond what a long holds: a hand-edited file must not overflow us.
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return 0;
    const double whole = std::floor(value);
    const double frac = value - whole;
    double r = whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0))
        r = whole + 1;
    return static_cast<long>(r);
}

std::string properCase(std::string_view text) {
    std::string out(text);
    bool wordStart = true;
    for (char& c : out) {
        if (c == ' ') {
            wordStart = true;
            continue;
        }
        if (c >= 'a' && c <= 'z' && wordStart)
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z' && !wordStart)
            c = static_cast<char>(c - 'A' + 'a');
        wordStart = false;
    }
    return out;
}

} // namespace qm
