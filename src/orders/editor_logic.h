#pragma once
// The order editor's rules that need no widgets.

#include <QColor>
#include <QDate>
#include <QString>
#include <array>

namespace qm {

// The most characters a typed file number may have.
inline constexpr int kFileNumberLength = 16;

// SAVE needs a town, a first address line and, once a title company is chosen, a file number.
bool isSavable(int townIndex, const QString& address1, const QString& fileNumber,
               int titleCompanyIndex);
// ASSIGN also needs a searcher and a search type or a municipal search.
bool isAssignable(bool savable, int searcherIndex, int typeIndex, int muniIndex);

// A due date tomorrow or sooner.
bool isRush(const QDate& due, const QDate& today);
inline const QString kRushText = QStringLiteral("RUSH DELIVERY!!!");

inline const QColor kCaptionRed(255, 0, 0);
inline const QColor kCaptionDarkGrey(64, 64, 64);

// The eight attorney fields, box 1 first.
using AttorneyFields = std::array<QString, 8>;
// The Attorneys.lst line SAVE writes: the firm, or the attorney when no firm was typed.
QString attorneyLineOf(const AttorneyFields& fields);

struct AttorneyOptions {
    bool addNewEnabled = false, addNewChecked = false;
    bool replaceEnabled = false, replaceChecked = false;
};
// What the two options offer for the fields: nothing for empty or unchanged fields, replacing
// for a shown entry, adding (or replacing the loaded one) for a new firm/attorney pair.
AttorneyOptions attorneyOptionsFor(const AttorneyFields& fields, const QString& recText,
                                   const QString& lawFirmText);
// "firm - attorney", the text a law firm list item has.
QString attorneyKeyOf(const AttorneyFields& fields);

struct NoticeFields {
    QString address1, address2, town, owner;
    QString searchType, muniSearch; // empty when not chosen
    QDate due;
    QString instructions;
};
// The body of the "SEARCH ORDER" notice, lines joined by CR LF.
QString noticeBody(const NoticeFields& fields);

// " SPLIT SEARCH ???"'s question for the order that has the number already.
QString splitQuestionText(const QString& existingAddress);

} // namespace qm
