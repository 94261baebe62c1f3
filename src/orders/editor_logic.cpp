#include "editor_logic.h"

#include <QStringList>

namespace qm {

bool isSavable(int townIndex, const QString& address1, const QString& fileNumber,
               int titleCompanyIndex) {
    return townIndex >= 1 && !address1.trimmed().isEmpty() &&
           (!fileNumber.trimmed().isEmpty() || titleCompanyIndex == 0);
}

bool isAssignable(bool savable, int searcherIndex, int typeIndex, int muniIndex) {
    return savable && searcherIndex > 0 && (typeIndex > 0 || muniIndex > 0);
}

bool isRush(const QDate& due, const QDate& today) {
    return today.daysTo(due) <= 1;
}

QString attorneyLineOf(const AttorneyFields& fields) {
    QStringList parts(fields.begin(), fields.end());
    if (parts[0].isEmpty())
        parts[0] = parts[1];
    return parts.join(QStringLiteral(" _ "));
}

QString attorneyKeyOf(const AttorneyFields& fields) {
    return fields[0] + QStringLiteral(" - ") + fields[1];
}

AttorneyOptions attorneyOptionsFor(const AttorneyFields& fields, const QString& recText,
                                   const QString& lawFirmText) {
    AttorneyOptions options;
    const QString key = attorneyKeyOf(fields);
    const QString joined = QStringList(fields.begin(), fields.end()).join(QStringLiteral(" _ "));
    if (key.trimmed() == QStringLiteral("-") || joined == recText)
        return options;
    if (key == lawFirmText) {
        options.replaceEnabled = options.replaceChecked = !recText.isEmpty();
        return options;
    }
    options.addNewEnabled = options.addNewChecked = true;
    options.replaceEnabled = !recText.isEmpty();
    return options;
}

QString noticeBody(const NoticeFields& f) {
    QString address = QStringLiteral("Addr: ") + f.address1 + QStringLiteral(", ");
    if (!f.address2.isEmpty())
        address += f.address2 + QStringLiteral(", ");
    address += f.town;
    QString type;
    if (!f.searchType.isEmpty())
        type = f.muniSearch.isEmpty() ? f.searchType
                                      : f.searchType + QStringLiteral(" w/") + f.muniSearch;
    else
        type = f.muniSearch.isEmpty() ? QStringLiteral("unspecified") : f.muniSearch;
    QStringList lines = {QStringLiteral("Details ..."), address, QStringLiteral("Ownr: ") + f.owner,
                         QStringLiteral("Type: ") + type,
                         QStringLiteral("Due : ") + f.due.toString(QStringLiteral("M/d/yyyy"))};
    if (!f.instructions.isEmpty())
        lines << QString() << f.instructions;
    return lines.join(QStringLiteral("\r\n"));
}

QString splitQuestionText(const QString& existingAddress) {
    return QStringLiteral("Please confirm that this is an additional search\n"
                          "being entered for the following address ...\n\n") +
           existingAddress;
}

} // namespace qm
