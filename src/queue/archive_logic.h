#pragma once
// The archives browser without its window: the fixed-width line of an archived order and its
// customer key, the search text and how it matches, the customer list, and the story of one
// archived order. Lines are Windows-1252 bytes, as the file holds them.

#include "order.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr size_t kArchiveLineWidth = 135;
// Blanks between a line and its customer key in the text the search looks at.
inline constexpr size_t kArchiveKeyGap = 20;

// "Quillmark Archives", 30 blanks, "search text =>", 3 blanks; the search text follows.
QString archiveCaption(const QString& searchText);
inline const QString kArchiveCustomerPlaceholder = QStringLiteral("< customer >");
inline const QString kArchiveHint =
    QStringLiteral("Select customer &/OR type search-text to filter (Bkspc to del)");

// Address as the line and the details show it: PropertyAddress1, a blank and PropertyAddress2
// when there is one, ", " and the town in proper case.
std::string archiveAddress(std::string_view address1, std::string_view address2,
                           std::string_view town);

// CompletedAt: a date-time literal, or text holding one ("yyyy-mm-dd hh:mm:ss" or
// "m/d/yyyy h:mm[:ss] [AM|PM]").
std::optional<DateTime> archiveMoment(const FieldView& field);

// Writes the kArchiveLineWidth bytes of record `record` of an archive table to out.
void writeArchiveLine(const RecordTable& table, size_t record, char* out);
std::string archiveLine(const RecordTable& table, size_t record);
// TitleCompany, or else Customer up to its first " - ". A view into the table's bytes.
std::string_view archiveCustomerKey(const RecordTable& table, size_t record);

// The order of Combo1's items after its placeholder, as indices into the distinct keys:
// alphabetical without regard to case (keys that differ only in case in a fixed order).
std::vector<int> sortedCustomerOrder(const QStringList& keys);

// A character typed into the list as the search text gets it: upper case, unless Windows-1252
// has no such upper-case letter (then as typed, so that it can still be found).
QChar searchCharacter(QChar typed);

// The search text as the lines are searched for it: without regard to case, over the line,
// the gap of blanks and the customer key, as if they were one text.
class ArchiveSearch {
  public:
    explicit ArchiveSearch(const QString& text);
    bool empty() const { return needle_.empty() && !unmatchable_; }
    // A character that Windows-1252 lacks can be in no archived text.
    bool matchesNothing() const { return unmatchable_; }

    // The needle inside `text` alone.
    bool foundIn(std::string_view text) const;
    // The needle begins in the line and runs on into `tail` (the gap and the key).
    bool straddles(std::string_view line, std::string_view tail) const;

  private:
    std::string needle_; // folded
    bool unmatchable_ = false;
};

// Windows-1252 byte to the byte of its upper-case letter, where the code page has one.
unsigned char foldCase(unsigned char c);

// The font size factor of List2 at the zoom factor: 1.05 at 1.13 to 1.15, 0.95 at 1.4.
double archiveListFontFactor(double zoomFactor);

// The story of one archived order in Text1, lines joined by CR LF.
struct ArchiveDetailsInput {
    const OrderRecord* order = nullptr;
    QString homePhone; // the searcher's directory boxes 5 and 6 as shown
    QString cellPhone;
};
QString archiveDetailsText(const ArchiveDetailsInput& input);

// An amount as the details write it: the plain number, no forced decimals (150, 12.5, 0.5, 0).
QString plainAmount(const FieldView& field);

} // namespace qm
