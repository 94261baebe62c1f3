#pragma once
// What the one-second refresh computes, apart from the widgets it fills.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace qm {

inline const QString kTitleCompanyPlaceholder = QStringLiteral("< select title company >");
inline const QString kLawFirmPlaceholder = QStringLiteral("< select lawfirm >");
inline const QString kSearcherPlaceholder = QStringLiteral("< select searcher >");

// Pick-list texts of directory lines (Windows-1252 bytes).
QString titleCompanyItem(const std::string& line); // "Firm - City"
QString attorneyItem(const std::string& line);     // "Firm - Attorney"
QString searcherItem(const std::string& line);     // "Name"

// The placeholder, then the items in ascending order without regard to case.
QStringList sortedPickList(const QString& placeholder, QStringList items);
// The placeholder, then the items in the given order.
QStringList pickListInOrder(const QString& placeholder, const QStringList& items);

// Which item to select after a refill: the placeholder without a remembered choice, else the
// first item from position 1 on equal to it, else none (-1).
int restoredChoice(const QStringList& list, const QString& remembered);

// "Monday, December 07, 2026 - 11:19 PM"
QString formatClockLine(const QDateTime& when);

// Last-modified times as the refresh saw them when it last filled a list.
class FileStamp {
  public:
    // True when `modified` differs from the stored stamp (either direction, or none stored);
    // the new time is stored at once, before the caller reloads.
    bool changedTo(const QDateTime& modified);
    void forget() { stamp_.reset(); }

  private:
    std::optional<QDateTime> stamp_;
};

// The designed caption's first 52 characters, "  -  " and the company name in upper case.
QString windowTitleFor(const QString& currentCaption, const QString& companyName);
inline const QString kDesignedCaption =
    QStringLiteral("Quillmark - v 1.30 - Search Order Management Console");

} // namespace qm
