#pragma once
// The directory editor of the settings screen: three kind buttons, the sorted lines of the open
// file, eight field boxes, ADD and REMOVE. The rules live in directory_lookup; this only wires
// them to widgets. Custom rates belong to the settings screen, reached through the signals.

#include "dialogs.h"
#include "directory_lookup.h"

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qm {

// The one entry the directory editor has selected: its boxes show it, REMOVE takes it away and
// the settings screen shows its custom rates. Empty (no kind) when nothing is selected.
struct SelectedDirectoryEntry {
    std::optional<DirectoryKind> kind;
    QString line;         // as listed
    std::string bytes;    // as stored, so REMOVE matches the file exactly
    DirectoryBoxes boxes; // what the eight boxes show for it
    // The customer whose custom rates go with the entry on screen; empty when none are shown
    // (searchers, or attorney rates while they are not allowed).
    QString rateName;
    bool isEmpty() const { return !kind; }
};

class DirectoryEditor : public QWidget {
    Q_OBJECT
  public:
    // dataFolder gives the data folder with its trailing "/", asked each time it is needed.
    DirectoryEditor(std::function<std::string()> dataFolder, Dialogs& dialogs,
                    QWidget* parent = nullptr);

    // Fills the list for a kind and resets the boxes to its placeholders; false (after a
    // message) when the file cannot be read.
    bool LoadDatabase(DirectoryKind kind);
    // Closes the directory: no kind, everything emptied and disabled.
    void ClearDataView();

    std::optional<DirectoryKind> openKind() const { return kind_; }
    // Selects a row of List1 and shows it, as a click does; false when there is no such row.
    bool selectRow(int row);
    DirectoryBoxes boxes() const;
    const SelectedDirectoryEntry& selectedEntry() const { return selected_; }

    // Boxes 1 and 2 name the custom rate files ("name.rte"): a name longer than this, in
    // Windows-1252 bytes, could not be stored as a file name.
    static constexpr qsizetype kMaxNameBytes = 255 - 4;

    // The customer whose rate file the shown entry has: box 1 unless it shows its placeholder,
    // else box 2 unless it does; empty when neither (or blank).
    QString customRateName() const;
    // Set by REMOVE so the removed entry's rates are not saved back; cleared by selection, ADD
    // and the settings screen's Save.
    bool removalMarked() const { return removalMark_; }
    void clearRemovalMark() { removalMark_ = false; }
    // Attorney rates are only shown when this says so (the caller knows which screen is up).
    void setAttorneyRatesAllowed(std::function<bool()> allowed) {
        attorneyRatesAllowed_ = std::move(allowed);
    }

    QPushButton* cmdTitleCompanies = nullptr;
    QPushButton* cmdAttorneys = nullptr;
    QPushButton* cmdSearchers = nullptr;
    QListWidget* List1 = nullptr;
    QLineEdit* Text[kDirectoryFieldCount + 1] = {}; // 1 to 8; element 0 unused
    QComboBox* cboCarrier = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;

  signals:
    // Another entry is selected, by a click, a key or a call; an empty entry when the
    // selection went. Emitted before customRatesLoad.
    void currentEntryChanged(const qm::SelectedDirectoryEntry& entry);
    // The shown entry is about to be left: store its custom column ("Save").
    void customRatesSave();
    // An entry with a customer name is shown: show its rates ("Load").
    void customRatesLoad(const QString& name);
    // REMOVE took the entry away: the rates caption goes blank.
    void customCaptionCleared();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onKindButton(DirectoryKind kind);
    void paintButtons();
    void emptyBoxes();
    void fillList(const DirectoryLookup& lookup);
    void onSelectionChanged();
    void showSelected();
    void forgetSelected();
    bool refuseLongName(int box);
    void onBoxEdited(int box);
    void onBoxChanged(int box);
    void onBoxFocused(int box);
    void showCarrierList();
    void hideCarrierList(bool clearChoice);
    void add();
    void remove();
    void reportError(const Error& error);
    int boxOf(QObject* object) const;

    std::function<std::string()> dataFolder_;
    Dialogs& dialogs_;
    std::function<bool()> attorneyRatesAllowed_ = [] { return true; };
    std::optional<DirectoryKind> kind_;
    SelectedDirectoryEntry selected_;
    bool removalMark_ = false;
    bool rowShownSincePress_ = false;
};

} // namespace qm
