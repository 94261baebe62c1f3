#include "bill_to.h"

#include "cp1252.h"
#include "disk_text.h"

#include <algorithm>

namespace qm {

namespace {

std::optional<BillingEntry> entryWhere(const DirectoryLookup& lookup, qsizetype row) {
    if (auto entry = lookup.entryAt(row))
        return BillingEntry{lookup.kind(), std::move(*entry)};
    return std::nullopt;
}

std::optional<BillingEntry> entryNamed(const DirectoryLookup& lookup, const QString& key) {
    for (qsizetype row = 0; row < lookup.rows().size(); ++row) {
        auto found = entryWhere(lookup, row);
        if (found && pickListTextOf(lookup.kind(), found->entry) == key)
            return found;
    }
    return std::nullopt;
}

std::optional<BillingEntry> entryContaining(const DirectoryLookup& lookup, const QString& key) {
    static const QString kJoint = QStringLiteral(" - ");
    const qsizetype joint = key.indexOf(kJoint);
    if (joint < 0)
        return std::nullopt;
    return entryWhere(lookup, lookup.firstRowContaining(key.left(joint), key.mid(joint + 3)));
}

} // namespace

QString pickListTextOf(DirectoryKind kind, const DirectoryEntry& entry) {
    const DirectoryBoxes& f = entry.fields;
    if (kind == DirectoryKind::Attorneys)
        return f[0] + QStringLiteral(" - ") + f[1];
    const qsizetype comma = f[3].indexOf(QLatin1Char(','));
    return f[0] + QStringLiteral(" - ") + (comma < 0 ? f[3] : f[3].left(comma));
}

std::optional<BillingEntry> billingEntryFor(const QString& key, const DirectoryLookup& companies,
                                            const DirectoryLookup& attorneys) {
    if (key.isEmpty())
        return std::nullopt;
    for (auto find : {entryNamed, entryContaining}) {
        for (const DirectoryLookup* lookup : {&companies, &attorneys}) {
            if (auto found = find(*lookup, key))
                return found;
        }
    }
    return std::nullopt;
}

std::array<QString, 4> directoryBillTo(const BillingEntry& found) {
    const DirectoryBoxes& f = found.entry.fields;
    // An attorney's address starts one field later: field 2 is the attorney's name.
    const size_t address = found.kind == DirectoryKind::Attorneys ? 2 : 1;
    QString street = f[address];
    if (!f[address + 1].isEmpty())
        street += QStringLiteral(", ") + f[address + 1];
    return {f[0], street, f[address + 2], QString()};
}

BillToResult billToFor(const QString& key, const DirectoryLookup& companies,
                       const DirectoryLookup& attorneys, const std::optional<BillTo>& stored) {
    BillToResult result;
    const auto found = billingEntryFor(key, companies, attorneys);
    if (!found)
        return result;
    result.found = true;
    const std::array<QString, 4> values = directoryBillTo(*found);
    result.isOverride = stored.has_value();
    for (size_t i = 0; i < 4; ++i) {
        result.boxes[i].directoryValue = values[i];
        result.boxes[i].text = stored ? fromDisk(stored->lines[i]) : values[i];
    }
    return result;
}

Result<BillToResult> lookUpBillTo(const std::string& dataFolder, const QString& key) {
    auto companies = DirectoryLookup::load(dataFolder, DirectoryKind::Companies);
    if (!companies)
        return companies.error();
    auto attorneys = DirectoryLookup::load(dataFolder, DirectoryKind::Attorneys);
    if (!attorneys)
        return attorneys.error();
    if (!billingEntryFor(key, *companies, *attorneys))
        return BillToResult{};
    auto stored = findBillingOverride(dataFolder, toDisk(key) + "_");
    if (!stored)
        return stored.error();
    return billToFor(key, *companies, *attorneys, *stored);
}

std::optional<std::string> overrideLineToStore(const std::string& keyBytes,
                                               const BillToBoxes& boxes,
                                               const std::optional<BillTo>& current) {
    bool edited = false;
    BillTo wanted;
    for (size_t i = 0; i < 4; ++i) {
        edited = edited || boxes[i].text != boxes[i].directoryValue;
        wanted.lines[i] = toDisk(boxes[i].text);
        if (i < 3)
            std::replace(wanted.lines[i].begin(), wanted.lines[i].end(), '_', '-');
    }
    if (!edited || (current && current->lines == wanted.lines))
        return std::nullopt;
    std::string line = keyBytes;
    for (const std::string& l : wanted.lines)
        line += "_" + l;
    return line;
}

} // namespace qm
