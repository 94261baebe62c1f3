#include "phone.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Phone, FormatsOnlyLongRunsOfDigits) {
    const struct {
        const char* typed;
        const char* shown;
        bool cursorToEnd;
    } cases[] = {
        {"8605550101", "(860) 555-0101", true},
        {"0125550101", "(012) 555-0101", true},    // leading zero kept
        {"18605550101", "(1860) 555-0101", false}, // extra digits widen the first group
        {"123456789012", "(12345) 678-9012", false},
        {"860555010", "860555010", false},          // nine digits: not yet
        {"(860) 555-0101", "(860) 555-0101", true}, // already formatted: left alone
        {"(860) 555-01012", "(860) 555-01012", false},
        {"860-555-0101", "860-555-0101", false},
        {" 8605550101", " 8605550101", false},
        {"860555010x", "860555010x", false},
        {"860 555 0101 x", "860 555 0101 x", true}, // fourteen characters of any kind
        {"", "", false},
    };
    for (const auto& c : cases) {
        const QString shown = formatPhone(QString::fromUtf8(c.typed));
        EXPECT_EQ(shown, QString::fromUtf8(c.shown)) << c.typed;
        EXPECT_EQ(phoneCursorToEnd(shown), c.cursorToEnd) << c.typed;
    }
}

TEST(Phone, OnlyAsciiDigitsCount) {
    // Arabic-Indic digits are digits to Unicode but not a phone number here.
    const QString indic = QString(10, QChar(0x0663));
    EXPECT_EQ(formatPhone(indic), indic);
}

} // namespace
} // namespace qm
