#pragma once
// Directory entries as the directory screen and every look-up see them: rows sorted without
// regard to case, eight boxes per entry with placeholders for empty fields, the characters the
// boxes refuse and the duplicate tests of ADD.

#include "directory_files.h"
#include "result.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// Box n (1 to 8) of the directory screen is element n - 1.
using DirectoryBoxes = std::array<QString, kDirectoryFieldCount>;

inline const QStringList kCellCarriers = {QStringLiteral("AT&T"), QStringLiteral("Sprint"),
                                          QStringLiteral("Verizon"), QStringLiteral("T-Mobile")};

// The placeholder (and hint) of box 1 to 8; empty for any other box number.
QString directoryPlaceholder(DirectoryKind kind, int box);
// All eight placeholders: the boxes right after LoadDatabase.
DirectoryBoxes placeholderBoxes(DirectoryKind kind);
bool isRequiredBox(DirectoryKind kind, int box);
bool isPhoneBox(DirectoryKind kind, int box);

// A box holds a value when its text is neither empty nor its placeholder.
bool boxHoldsValue(DirectoryKind kind, int box, const QString& text);
// ADD is possible once every required box holds a value.
bool isEntryComplete(DirectoryKind kind, const DirectoryBoxes& boxes);

// "_" would split the field; in boxes 1 and 2 the characters a file name cannot hold are
// refused too, since those names name the custom rate files.
bool isRefusedCharacter(int box, QChar c);
// The same rule over a whole text, for text that arrives other than by typing.
QString withoutRefusedCharacters(int box, QString text);

// What the boxes show for a line: each field, an empty one as its placeholder, and for an
// attorney without a firm (field 1 equal to field 2) the firm placeholder in box 1.
DirectoryBoxes boxesOfLine(DirectoryKind kind, const QString& line);

// The line ADD writes: optional boxes without a value are written empty; an attorney without a
// firm gets the attorney's name as field 1.
QString directoryLineOf(DirectoryKind kind, const DirectoryBoxes& boxes);

// Duplicate tests of ADD over the file's lines, case-sensitive. "After the first character"
// means the text may not only be found at the very start of the line.
// A line that begins with the firm and holds the city (the text before the first "," of
// cityStateZip) after its first character; without a "," nothing is a duplicate.
bool isDuplicateCompany(const QStringList& lines, const QString& firm, const QString& cityStateZip);
// A line that begins with field 1 of the new line and holds the attorney's name after its
// first character.
bool isDuplicateAttorney(const QStringList& lines, const QString& field1,
                         const QString& attorneyName);
// A line that begins with the searcher's name.
bool isDuplicateSearcher(const QStringList& lines, const QString& name);
// The test of the kind applied to the boxes on screen.
bool isDuplicateEntry(DirectoryKind kind, const DirectoryBoxes& boxes, const QStringList& lines);

// The customer whose rate file an entry has: box 1 unless it shows its placeholder, else box 2
// unless it does; empty when neither (or blank).
QString customRateNameOf(DirectoryKind kind, const DirectoryBoxes& boxes);

struct DirectoryEntry {
    qsizetype row = -1;    // position in DirectoryLookup::rows()
    QString line;          // the row as listed
    DirectoryBoxes fields; // as stored, empty ones empty
    DirectoryBoxes boxes;  // as the boxes show them
};

// One directory file loaded the way LoadDatabase loads it.
class DirectoryLookup {
  public:
    // Takes the shared-data lock for the read; waits while another holder has it. A missing
    // file is an empty directory.
    static Result<DirectoryLookup> load(const std::string& dataFolder, DirectoryKind kind);
    // For a caller that already holds the lock.
    static Result<DirectoryLookup> load(const DataLock& lock, DirectoryKind kind);
    // Lines in file order, Windows-1252 bytes.
    static DirectoryLookup fromLines(DirectoryKind kind, const std::vector<std::string>& lines);

    DirectoryKind kind() const { return kind_; }
    // The lines in ascending order without regard to case; equal ones keep their file order.
    const QStringList& rows() const { return rows_; }
    // The same rows as stored (Windows-1252 bytes), in the same order.
    const std::vector<std::string>& rowBytes() const { return bytes_; }

    std::optional<DirectoryEntry> entryAt(qsizetype row) const;

    // The first row whose text holds both parts (case-sensitive); -1 when none does.
    qsizetype firstRowContaining(const QString& first, const QString& second = QString()) const;
    // The first row that begins with prefix; an empty prefix finds nothing.
    qsizetype firstRowBeginningWith(const QString& prefix) const;

    // A pick-list text ("Firm - City", "Firm - Attorney", a billing key) split at its first
    // " - ", then the first row holding both parts. A text without " - " finds nothing.
    std::optional<DirectoryEntry> findPickItem(const QString& item) const;

  private:
    explicit DirectoryLookup(DirectoryKind kind) : kind_(kind) {}
    DirectoryKind kind_;
    QStringList rows_;
    std::vector<std::string> bytes_; // rows_ as read, split from these so nothing is re-encoded
};

} // namespace qm
