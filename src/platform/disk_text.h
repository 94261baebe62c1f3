#pragma once
// Text as the data files hold it (Windows-1252 bytes) and as the screens show it.

#include "cp1252.h"

#include <QString>
#include <string>
#include <string_view>

namespace qm {

inline QString fromDisk(std::string_view bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}

inline std::string toDisk(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

} // namespace qm
