#include "refresh_logic.h"

#include "cp1252.h"
#include "directory_files.h"
#include "disk_text.h"

#include <QLocale>
#include <algorithm>

namespace qm {

QString titleCompanyItem(const std::string& line) {
    const DirectoryFields f = splitDirectoryLine(line);
    const QString cityStateZip = fromDisk(f[3]);
    const qsizetype comma = cityStateZip.indexOf(',');
    const QString city = comma < 0 ? cityStateZip : cityStateZip.left(comma);
    return fromDisk(f[0]) + " - " + city;
}

QString attorneyItem(const std::string& line) {
    const DirectoryFields f = splitDirectoryLine(line);
    return fromDisk(f[0]) + " - " + fromDisk(f[1]);
}

QString searcherItem(const std::string& line) {
    return fromDisk(splitDirectoryLine(line)[0]);
}

QStringList sortedPickList(const QString& placeholder, QStringList items) {
    std::stable_sort(items.begin(), items.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    items.prepend(placeholder);
    return items;
}

QStringList pickListInOrder(const QString& placeholder, const QStringList& items) {
    QStringList out{placeholder};
    out.append(items);
    return out;
}

int restoredChoice(const QStringList& list, const QString& remembered) {
    if (remembered.isEmpty())
        return 0;
    for (qsizetype i = 1; i < list.size(); ++i) {
        if (list[i] == remembered)
            return static_cast<int>(i);
    }
    return -1;
}

QString formatClockLine(const QDateTime& when) {
    return QLocale::c().toString(when, QStringLiteral("dddd, MMMM dd, yyyy - h:mm AP"));
}

bool FileStamp::changedTo(const QDateTime& modified) {
    if (stamp_ && *stamp_ == modified)
        return false;
    stamp_ = modified;
    return true;
}

QString windowTitleFor(const QString& currentCaption, const QString& companyName) {
    return currentCaption.left(52) + "  -  " + companyName.toUpper();
}

} // namespace qm
