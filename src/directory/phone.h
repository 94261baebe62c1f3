#pragma once
// Phone and fax boxes (directory entries and the business's own numbers) format as they change.

#include <QString>

namespace qm {

// A text of 10 or more digits and nothing else becomes "(###) ###-####", digits beyond ten
// widening the first group; any other text, and a shorter one, comes back unchanged. Digits are
// kept as typed, leading zeros included.
QString formatPhone(const QString& text);

// Whether the cursor goes to the end after the box took `formatted`: only a text of exactly
// 14 characters (a ten-digit number just formatted) moves it.
bool phoneCursorToEnd(const QString& formatted);

} // namespace qm
