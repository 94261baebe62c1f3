#include "archive_model.h"

#include "cp1252.h"

#include <array>

namespace qm {

namespace {

// Windows-1252 byte by byte: a line is decoded each time a row is painted.
const std::array<QChar, 256>& characterTable() {
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString decoded =
                QString::fromStdString(cp1252ToUtf8(std::string_view(&byte, 1)));
            t[static_cast<size_t>(b)] = decoded.isEmpty() ? QChar(u'?') : decoded.front();
        }
        return t;
    }();
    return table;
}

} // namespace

void ArchiveModel::show(const ArchiveList* list,
                        const std::function<const std::vector<std::uint32_t>*()>& change) {
    beginResetModel();
    list_ = nullptr;
    lines_ = nullptr;
    const std::vector<std::uint32_t>* lines = change();
    list_ = list;
    lines_ = lines;
    endResetModel();
}

void ArchiveModel::clear() {
    show(nullptr, [] { return nullptr; });
}

QString ArchiveModel::lineText(int row) const {
    const std::string_view bytes = list_->line(lineIndex(row));
    const auto& table = characterTable();
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes)
        *out++ = table[static_cast<unsigned char>(c)];
    return text;
}

int ArchiveModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !lines_)
        return 0;
    return static_cast<int>(lines_->size());
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !lines_ || index.row() >= rowCount())
        return {};
    return lineText(index.row());
}

} // namespace qm
