#include "phone.h"

#include <algorithm>

namespace qm {

namespace {

constexpr qsizetype kPhoneMinimum = 10;
constexpr qsizetype kFormattedLength = 14;

bool isAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

QString formatPhone(const QString& text) {
    if (text.size() < kPhoneMinimum || !std::all_of(text.begin(), text.end(), isAsciiDigit))
        return text;
    // The last seven digits are fixed; whatever precedes them is the area group.
    const qsizetype area = text.size() - 7;
    return QLatin1Char('(') + text.left(area) + QLatin1String(") ") + text.mid(area, 3) +
           QLatin1Char('-') + text.right(4);
}

bool phoneCursorToEnd(const QString& formatted) {
    return formatted.size() == kFormattedLength;
}

} // namespace qm
