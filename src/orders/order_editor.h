#pragma once
// The "New Order" tab: one order composed from the directory, the towns and the fee schedule,
// then saved, assigned to a searcher, or pulled back from the queue to be changed or deleted.

#include "app_context.h"
#include "directory_lookup.h"
#include "editor_logic.h"
#include "editor_state.h"
#include "order_store.h"

#include <QWidget>
#include <optional>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace qm {

class DropDownList;
class Messenger;

class OrderEditor final : public QWidget {
    Q_OBJECT
  public:
    OrderEditor(AppContext& context, Messenger& messenger, QWidget* parent = nullptr);

    // The refresh fills the pick lists through these.
    void fillTitleCompanies(const QStringList& items, int selected);
    void fillAttorneys(const QStringList& items);
    void fillSearchers(const QStringList& items, int selected);
    QString rememberedTitleCompany() const { return state_.titleCompanyChoice; }
    QString rememberedSearcher() const { return state_.searcherChoice; }
    // cboType and cboMuni from the schedule with a customer's own fees ("default": none).
    void loadOrderRates(const QString& customer);
    void FillTownList(const QString& state);
    void dayChanged(const QDate& today);

    void Save();
    void Assign();
    // Pulls the selected order into the editor; false when nothing was pulled.
    bool Edit(bool askFirst);
    // Starts a second order from the pending order as EDIT fills it, under the order's next free
    // split number and with its municipal search to choose; the order itself stays in
    // Pending.fil. False when it is no longer pending.
    bool Split(const QString& fileNumber);
    void Clear();
    void UpdateEntryCommands();

    // A pulled order is in the editor and has not been saved back.
    bool holdsUnsavedPull() const;
    QString pulledFileNumber() const { return state_.pulledFileNumber; }
    const EditorState& state() const { return state_; }

    QLabel* lblFileNumb = nullptr;
    QLineEdit* txtFileNumb = nullptr;
    QLabel* lblTitleCo = nullptr;
    QComboBox* cboTitleCo = nullptr;
    QPlainTextEdit* txtTitleCo = nullptr;
    QLabel* lblCustomer = nullptr;
    QComboBox* cboCustomer = nullptr;
    QLineEdit* txtCust[9] = {}; // 1 to 8
    QLabel* lblAttorney = nullptr;
    QRadioButton* optReplace = nullptr;
    QRadioButton* optAddNew = nullptr;
    QLineEdit* txtPropAddr1 = nullptr;
    QLineEdit* txtPropAddr2 = nullptr;
    QComboBox* cboTown = nullptr;
    QLineEdit* txtCurrOwner = nullptr;
    QLabel* lblType = nullptr;
    DropDownList* cboType = nullptr;
    QLabel* lblMuni = nullptr;
    DropDownList* cboMuni = nullptr;
    QDateEdit* DTPicker1 = nullptr;
    QComboBox* cboSearcher = nullptr;
    QPlainTextEdit* txtSearcher = nullptr;
    QLineEdit* txtMessg = nullptr;
    QGroupBox* Frame4 = nullptr; // " FILE NOTES "
    QLineEdit* txtNotes = nullptr;
    QLabel* Label34 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdAssign = nullptr;
    QPushButton* cmdClear = nullptr;

  signals:
    void editStarted(const QString& fileNumber);
    void editEnded(bool orderDeleted);
    void orderSaved(const QString& fileNumber);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildOriginator();
    QWidget* buildProperty();
    QWidget* buildSetup();
    void connectControls();

    // The reactions to choosing an item, as a click runs them.
    void titleCompanyChosen(int index);
    void lawFirmChosen(int index);
    void serviceChosen(DropDownList* list);
    void searcherChosen(int index);
    void dueDateChanged();
    void attorneyFieldChanged();
    void showTypedLawFirm(bool typed);

    void saveFrom(bool byAssign);
    std::optional<SaveOutcome> runSave(const SaveRequest& request);
    OrderDraft draftFromScreen(bool byAssign) const;
    AttorneyChange attorneyChange() const;
    void fillFromPulled(const OrderRecord& order);
    void reportNoLongerPending(const QString& fileNumber);
    // The split order's number, however long: the box's length limit is for typing.
    void showSplitNumber(const QString& fileNumber);
    void selectItem(QComboBox* list, const QString& text);

    std::optional<DirectoryLookup> lookup(DirectoryKind kind);
    void setCaptionColour(QLabel* label, const std::optional<QColor>& colour);
    AttorneyFields attorneyFields() const;
    void reportError(const Error& error);

    AppContext& context_;
    Messenger& messenger_;
    EditorState state_;
    bool optionsUpdating_ = false;
};

} // namespace qm
