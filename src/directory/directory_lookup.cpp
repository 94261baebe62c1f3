#include "directory_lookup.h"

#include "cp1252.h"

#include <algorithm>
#include <numeric>

namespace qm {

namespace {

using Placeholders = std::array<const char*, kDirectoryFieldCount>;

constexpr Placeholders kCompanyPlaceholders = {
    "< titleco firm name >",      "< titleco address 1 >", "< titleco address 2 >",
    "< titleco city state zip >", "< titleco phone >",     "< titleco fax >",
    "< titleco email >",          "< vendor number >"};
constexpr Placeholders kAttorneyPlaceholders = {
    "< attorney firm name >", "< attorney name >",           "< attorney address 1 >",
    "< attorney address 2 >", "< attorney city state zip >", "< attorney phone >",
    "< attorney fax >",       "< attorney email >"};
constexpr Placeholders kSearcherPlaceholders = {
    "< searcher name >",           "< searcher address 1 >", "< searcher address 2 >",
    "< searcher city state zip >", "< searcher phone >",     "< searcher cell >",
    "< searcher cell carrier >",   "< searcher email >"};

const Placeholders& placeholdersOf(DirectoryKind kind) {
    switch (kind) {
    case DirectoryKind::Companies:
        return kCompanyPlaceholders;
    case DirectoryKind::Attorneys:
        return kAttorneyPlaceholders;
    case DirectoryKind::Searchers:
        break;
    }
    return kSearcherPlaceholders;
}

bool isBoxNumber(int box) {
    return box >= 1 && box <= static_cast<int>(kDirectoryFieldCount);
}

bool boxIn(int box, std::initializer_list<int> boxes) {
    return std::find(boxes.begin(), boxes.end(), box) != boxes.end();
}

QString fromDisk(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}

DirectoryBoxes fieldsOfBytes(std::string_view line) {
    const DirectoryFields split = splitDirectoryLine(line);
    DirectoryBoxes fields;
    std::transform(split.begin(), split.end(), fields.begin(), fromDisk);
    return fields;
}

DirectoryBoxes boxesOfFields(DirectoryKind kind, const DirectoryBoxes& fields) {
    DirectoryBoxes boxes = fields;
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].isEmpty())
            boxes[i] = QString::fromLatin1(placeholdersOf(kind)[i]);
    }
    if (kind == DirectoryKind::Attorneys && fields[0] == fields[1])
        boxes[0] = QString::fromLatin1(placeholdersOf(kind)[0]);
    return boxes;
}

// The line holds the text at any position but the first.
bool holdsAfterFirst(const QString& line, const QString& text) {
    return line.indexOf(text, 1) >= 0;
}

} // namespace

QString directoryPlaceholder(DirectoryKind kind, int box) {
    return isBoxNumber(box) ? QString::fromLatin1(placeholdersOf(kind)[box - 1]) : QString();
}

DirectoryBoxes placeholderBoxes(DirectoryKind kind) {
    DirectoryBoxes boxes;
    std::transform(placeholdersOf(kind).begin(), placeholdersOf(kind).end(), boxes.begin(),
                   [](const char* p) { return QString::fromLatin1(p); });
    return boxes;
}

bool isRequiredBox(DirectoryKind kind, int box) {
    switch (kind) {
    case DirectoryKind::Companies:
        return boxIn(box, {1, 2, 4, 6, 7});
    case DirectoryKind::Attorneys:
        return boxIn(box, {2, 3, 5, 7, 8});
    case DirectoryKind::Searchers:
        return boxIn(box, {1, 6, 7, 8});
    }
    return false;
}

bool isPhoneBox(DirectoryKind kind, int box) {
    switch (kind) {
    case DirectoryKind::Companies:
        return boxIn(box, {5, 6});
    case DirectoryKind::Attorneys:
        return boxIn(box, {6, 7});
    case DirectoryKind::Searchers:
        return boxIn(box, {5, 6});
    }
    return false;
}

bool boxHoldsValue(DirectoryKind kind, int box, const QString& text) {
    return !text.isEmpty() && text != directoryPlaceholder(kind, box);
}

bool isEntryComplete(DirectoryKind kind, const DirectoryBoxes& boxes) {
    for (int box = 1; box <= static_cast<int>(kDirectoryFieldCount); ++box) {
        if (isRequiredBox(kind, box) && !boxHoldsValue(kind, box, boxes[box - 1]))
            return false;
    }
    return true;
}

bool isRefusedCharacter(int box, QChar c) {
    if (c == QLatin1Char('_'))
        return true;
    static const QString kNotInFileNames = QStringLiteral("\\/:*?<>|{}");
    return (box == 1 || box == 2) && kNotInFileNames.contains(c);
}

QString withoutRefusedCharacters(int box, QString text) {
    text.removeIf([box](QChar c) { return isRefusedCharacter(box, c); });
    return text;
}

DirectoryBoxes boxesOfLine(DirectoryKind kind, const QString& line) {
    return boxesOfFields(kind, fieldsOfBytes(utf8ToCp1252(line.toStdString())));
}

QString directoryLineOf(DirectoryKind kind, const DirectoryBoxes& boxes) {
    QStringList fields;
    for (int box = 1; box <= static_cast<int>(kDirectoryFieldCount); ++box) {
        const QString& text = boxes[box - 1];
        // Required boxes go in as entered; ADD is only offered once they hold values.
        const bool keep = isRequiredBox(kind, box) || boxHoldsValue(kind, box, text);
        fields.append(keep ? text : QString());
    }
    if (kind == DirectoryKind::Attorneys && fields[0].isEmpty())
        fields[0] = boxes[1];
    return fields.join(QStringLiteral(" _ "));
}

bool isDuplicateCompany(const QStringList& lines, const QString& firm,
                        const QString& cityStateZip) {
    const qsizetype comma = cityStateZip.indexOf(QLatin1Char(','));
    if (comma < 0)
        return false;
    const QString city = cityStateZip.left(comma);
    return std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(firm) && holdsAfterFirst(line, city);
    });
}

bool isDuplicateAttorney(const QStringList& lines, const QString& field1,
                         const QString& attorneyName) {
    return std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return line.startsWith(field1) && holdsAfterFirst(line, attorneyName);
    });
}

bool isDuplicateSearcher(const QStringList& lines, const QString& name) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return line.startsWith(name); });
}

bool isDuplicateEntry(DirectoryKind kind, const DirectoryBoxes& boxes, const QStringList& lines) {
    switch (kind) {
    case DirectoryKind::Companies:
        return isDuplicateCompany(lines, boxes[0], boxes[3]);
    case DirectoryKind::Attorneys: {
        // Field 1 of the line ADD would write: the firm, or the name when there is none.
        const QString& field1 = boxHoldsValue(kind, 1, boxes[0]) ? boxes[0] : boxes[1];
        return isDuplicateAttorney(lines, field1, boxes[1]);
    }
    case DirectoryKind::Searchers:
        return isDuplicateSearcher(lines, boxes[0]);
    }
    return false;
}

Result<DirectoryLookup> DirectoryLookup::load(const std::string& dataFolder, DirectoryKind kind) {
    auto lock = DataLock::acquire(dataFolder);
    if (!lock)
        return lock.error();
    return load(*lock, kind);
}

Result<DirectoryLookup> DirectoryLookup::load(const DataLock& lock, DirectoryKind kind) {
    auto lines = readDirectoryFile(lock, kind);
    if (!lines) {
        // Nothing creates the directory files; the first ADD does.
        if (lines.error().kind == ErrorKind::FileNotFound)
            return fromLines(kind, {});
        return lines.error();
    }
    return fromLines(kind, *lines);
}

DirectoryLookup DirectoryLookup::fromLines(DirectoryKind kind,
                                           const std::vector<std::string>& lines) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        texts.append(fromDisk(line));
    std::vector<size_t> order(lines.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return QString::compare(texts[a], texts[b], Qt::CaseInsensitive) < 0;
    });

    DirectoryLookup lookup(kind);
    lookup.rows_.reserve(texts.size());
    lookup.bytes_.reserve(lines.size());
    for (size_t i : order) {
        lookup.rows_.append(texts[i]);
        lookup.bytes_.push_back(lines[i]);
    }
    return lookup;
}

std::optional<DirectoryEntry> DirectoryLookup::entryAt(qsizetype row) const {
    if (row < 0 || row >= rows_.size())
        return std::nullopt;
    DirectoryEntry entry;
    entry.row = row;
    entry.line = rows_[row];
    entry.fields = fieldsOfBytes(bytes_[row]);
    entry.boxes = boxesOfFields(kind_, entry.fields);
    return entry;
}

qsizetype DirectoryLookup::firstRowContaining(const QString& first, const QString& second) const {
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].contains(first) && rows_[i].contains(second))
            return i;
    }
    return -1;
}

qsizetype DirectoryLookup::firstRowBeginningWith(const QString& prefix) const {
    if (prefix.isEmpty())
        return -1;
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].startsWith(prefix))
            return i;
    }
    return -1;
}

std::optional<DirectoryEntry> DirectoryLookup::findPickItem(const QString& item) const {
    static const QString kJoint = QStringLiteral(" - ");
    const qsizetype joint = item.indexOf(kJoint);
    if (joint < 0)
        return std::nullopt;
    return entryAt(firstRowContaining(item.left(joint), item.mid(joint + kJoint.size())));
}

QString customRateNameOf(DirectoryKind kind, const DirectoryBoxes& boxes) {
    QString name;
    if (boxes[0] != directoryPlaceholder(kind, 1))
        name = boxes[0];
    else if (boxes[1] != directoryPlaceholder(kind, 2))
        name = boxes[1];
    return name.trimmed().isEmpty() ? QString() : name;
}

} // namespace qm
