#include "order_editor.h"

#include "clock.h"
#include "cp1252.h"
#include "dialogs.h"
#include "disk_text.h"
#include "drop_down_list.h"
#include "phone.h"
#include "settings_logic.h"
#include "towns.h"
#include "user.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qm {

namespace {

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QComboBox* pickList(QComboBox* combo, const char* name) {
    named(combo, QString::fromLatin1(name));
    combo->setMinimumContentsLength(26);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QPlainTextEdit* display(const char* name) {
    auto* box = named(new QPlainTextEdit, QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setMaximumHeight(84);
    return box;
}

} // namespace

OrderEditor::OrderEditor(AppContext& context, Messenger& messenger, QWidget* parent)
    : QWidget(parent), context_(context), messenger_(messenger) {
    setObjectName(QStringLiteral("OrderEditor"));
    auto* left = new QVBoxLayout;
    left->addWidget(buildOriginator());
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(buildProperty());
    right->addWidget(buildSetup());
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    connectControls();
    DTPicker1->setDate(context_.clock->today());
    setCaptionColour(lblType, kCaptionRed);
    setCaptionColour(lblMuni, kCaptionRed);
    UpdateEntryCommands();
}

QWidget* OrderEditor::buildOriginator() {
    auto* box = named(new QGroupBox(QStringLiteral("ORIGINATOR INFO")), QStringLiteral("Frame2"));
    lblFileNumb = named(new QLabel(QStringLiteral("FILE #")), QStringLiteral("lblFileNumb"));
    txtFileNumb = named(new QLineEdit, QStringLiteral("txtFileNumb"));
    txtFileNumb->setMaxLength(kFileNumberLength);
    txtFileNumb->setAlignment(Qt::AlignCenter);
    txtFileNumb->setMaximumWidth(180);
    lblTitleCo = named(new QLabel(QStringLiteral("Title Insurance Company (if applicable)")),
                       QStringLiteral("lblTitleCo"));
    cboTitleCo = pickList(new QComboBox, "cboTitleCo");
    txtTitleCo = display("txtTitleCo");
    lblCustomer = named(new QLabel(QStringLiteral("Lawfirm (press ESC to toggle database)")),
                        QStringLiteral("lblCustomer"));
    cboCustomer = pickList(new QComboBox, "cboCustomer");
    const char* captions[9] = {"",
                               "",
                               "Attorney",
                               "Address 1",
                               "Address 2",
                               "City, State Zip",
                               "Phone Number",
                               "Fax Number",
                               "E-Mail Address"};
    for (int i = 1; i <= 8; ++i)
        txtCust[i] = named(new QLineEdit, QStringLiteral("txtCust(%1)").arg(i));
    lblAttorney = named(new QLabel(QStringLiteral("Attorney")), QStringLiteral("lblAttorney"));
    optReplace = named(new QRadioButton(QStringLiteral("Replace existing record")),
                       QStringLiteral("optReplace"));
    optAddNew =
        named(new QRadioButton(QStringLiteral("Add as new record")), QStringLiteral("optAddNew"));
    for (QRadioButton* option : {optReplace, optAddNew})
        option->setEnabled(false);

    auto* form = new QFormLayout(box);
    form->addRow(lblFileNumb, txtFileNumb);
    form->addRow(lblTitleCo);
    form->addRow(cboTitleCo);
    form->addRow(txtTitleCo);
    form->addRow(lblCustomer);
    auto* firm = new QHBoxLayout;
    firm->addWidget(cboCustomer, 1);
    firm->addWidget(txtCust[1], 1);
    form->addRow(firm);
    form->addRow(lblAttorney, txtCust[2]);
    for (int i = 3; i <= 8; ++i)
        form->addRow(new QLabel(QString::fromLatin1(captions[i])), txtCust[i]);
    auto* options = new QHBoxLayout;
    options->addWidget(optReplace);
    options->addWidget(optAddNew);
    form->addRow(options);
    showTypedLawFirm(false);
    return box;
}

QWidget* OrderEditor::buildProperty() {
    auto* box = named(new QGroupBox(QStringLiteral("PROPERTY INFO")), QStringLiteral("Frame3"));
    txtPropAddr1 = named(new QLineEdit, QStringLiteral("txtPropAddr1"));
    txtPropAddr2 = named(new QLineEdit, QStringLiteral("txtPropAddr2"));
    cboTown = pickList(new QComboBox, "cboTown");
    txtCurrOwner = named(new QLineEdit, QStringLiteral("txtCurrOwner"));
    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("Address 1"), txtPropAddr1);
    form->addRow(QStringLiteral("Address 2"), txtPropAddr2);
    form->addRow(QStringLiteral("Property City"), cboTown);
    form->addRow(QStringLiteral("Current Owner's Name"), txtCurrOwner);
    return box;
}

QWidget* OrderEditor::buildSetup() {
    auto* box = named(new QGroupBox(QStringLiteral("SEARCH SETUP")), QStringLiteral("Frame5"));
    lblType = named(new QLabel(QStringLiteral("Type of Search")), QStringLiteral("lblType"));
    cboType = named(new DropDownList, QStringLiteral("cboType"));
    lblMuni = named(new QLabel(QStringLiteral("Municipal Search")), QStringLiteral("lblMuni"));
    cboMuni = named(new DropDownList, QStringLiteral("cboMuni"));
    for (QComboBox* list : {static_cast<QComboBox*>(cboType), static_cast<QComboBox*>(cboMuni)})
        pickList(list, list == cboType ? "cboType" : "cboMuni");
    DTPicker1 = named(new QDateEdit, QStringLiteral("DTPicker1"));
    DTPicker1->setCalendarPopup(true);
    DTPicker1->setDisplayFormat(QStringLiteral("M/d/yyyy"));
    DTPicker1->setMinimumDate(QDate(2000, 1, 1));
    cboSearcher = pickList(new QComboBox, "cboSearcher");
    txtSearcher = display("txtSearcher");
    txtMessg = named(new QLineEdit, QStringLiteral("txtMessg"));
    Frame4 = named(new QGroupBox(QStringLiteral(" FILE NOTES ")), QStringLiteral("Frame4"));
    txtNotes = named(new QLineEdit, QStringLiteral("txtNotes"));
    (new QVBoxLayout(Frame4))->addWidget(txtNotes);
    Label34 = named(new QLabel(box), QStringLiteral("Label34")); // hidden: owned by the box
    Label34->hide();
    cmdSave = named(new QPushButton(QStringLiteral("SAVE")), QStringLiteral("cmdSave"));
    cmdSave->setToolTip(QStringLiteral(" save only "));
    cmdAssign = named(new QPushButton(QStringLiteral("ASSIGN")), QStringLiteral("cmdAssign"));
    cmdAssign->setToolTip(QStringLiteral(" save & send to searcher "));
    cmdClear = named(new QPushButton(QStringLiteral("CLEAR")), QStringLiteral("cmdClear"));
    cmdClear->setToolTip(QStringLiteral(" reset form "));

    auto* form = new QFormLayout(box);
    form->addRow(lblType, cboType);
    form->addRow(lblMuni, cboMuni);
    form->addRow(QStringLiteral("Due Date"), DTPicker1);
    form->addRow(QStringLiteral("Searcher to assign"), cboSearcher);
    form->addRow(txtSearcher);
    form->addRow(new QLabel(QStringLiteral("special instructions to searcher ...")));
    form->addRow(txtMessg);
    form->addRow(Frame4);
    auto* commands = new QHBoxLayout;
    for (QPushButton* b : {cmdSave, cmdAssign, cmdClear}) {
        b->setMinimumHeight(36);
        commands->addWidget(b);
    }
    form->addRow(commands);
    return box;
}

void OrderEditor::connectControls() {
    connect(txtFileNumb, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = txtFileNumb->cursorPosition();
        if (text != text.toUpper()) {
            txtFileNumb->setText(text.toUpper());
            txtFileNumb->setCursorPosition(cursor);
        }
    });
    connect(txtFileNumb, &QLineEdit::textChanged, this, &OrderEditor::UpdateEntryCommands);
    connect(txtPropAddr1, &QLineEdit::textChanged, this, &OrderEditor::UpdateEntryCommands);
    connect(cboTitleCo, &QComboBox::activated, this, &OrderEditor::titleCompanyChosen);
    connect(cboCustomer, &QComboBox::activated, this, &OrderEditor::lawFirmChosen);
    connect(cboTown, &QComboBox::activated, this, &OrderEditor::UpdateEntryCommands);
    for (DropDownList* list : {cboType, cboMuni}) {
        connect(list, &QComboBox::activated, this, [this, list] { serviceChosen(list); });
        connect(list, &DropDownList::droppedDown, this, [this, list] {
            if (list->count() == 0)
                loadOrderRates(QStringLiteral("default"));
        });
    }
    connect(cboSearcher, &QComboBox::activated, this, &OrderEditor::searcherChosen);
    connect(DTPicker1, &QDateEdit::dateChanged, this, &OrderEditor::dueDateChanged);
    for (int i = 1; i <= 8; ++i) {
        QLineEdit* box = txtCust[i];
        connect(box, &QLineEdit::textChanged, this, [this, box, i](const QString& text) {
            if (text.contains(QLatin1Char('_'))) {
                box->setText(QString(text).remove(QLatin1Char('_'))); // the field separator
                return;
            }
            if (i == 6 || i == 7) {
                const QString formatted = formatPhone(text);
                if (formatted != text) {
                    box->setText(formatted);
                    return;
                }
                if (phoneCursorToEnd(formatted))
                    box->setCursorPosition(static_cast<int>(formatted.size()));
            }
            attorneyFieldChanged();
        });
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{cboCustomer, txtCust[1], txtCust[2], txtMessg, txtNotes,
                                         txtPropAddr1, txtPropAddr2, txtCurrOwner})
        w->installEventFilter(this);
    for (int i = 3; i <= 8; ++i)
        txtCust[i]->installEventFilter(this);
    // Each command holds the guard from the click until it returns, its questions included.
    for (auto [button, command] :
         {std::pair{cmdSave, &OrderEditor::Save}, std::pair{cmdAssign, &OrderEditor::Assign},
          std::pair{cmdClear, &OrderEditor::Clear}})
        connect(button, &QPushButton::clicked, this, [this, command] {
            const auto held = context_.commandGuard.hold();
            (this->*command)();
        });
}

bool OrderEditor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape && watched == cboCustomer) {
            showTypedLawFirm(true);
            txtCust[1]->setFocus();
            return true;
        }
        if (key == Qt::Key_Escape && (watched == txtCust[1] || watched == txtCust[2])) {
            showTypedLawFirm(false);
            cboCustomer->setFocus();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            (watched == txtMessg || watched == txtNotes))
            return true; // the texts stay on one line
    }
    if (event->type() == QEvent::FocusIn && watched != cboCustomer && watched != txtNotes) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void OrderEditor::showTypedLawFirm(bool typed) {
    cboCustomer->setVisible(!typed);
    txtCust[1]->setVisible(typed);
    txtCust[2]->setVisible(typed);
    lblAttorney->setVisible(typed);
}

void OrderEditor::UpdateEntryCommands() {
    const bool savable = isSavable(cboTown->currentIndex(), txtPropAddr1->text(),
                                   txtFileNumb->text(), cboTitleCo->currentIndex());
    cmdSave->setEnabled(savable);
    cmdAssign->setEnabled(isAssignable(savable, cboSearcher->currentIndex(),
                                       cboType->currentIndex(), cboMuni->currentIndex()));
    if (!savable)
        state_.duplicateRefused = false;
}

std::optional<DirectoryLookup> OrderEditor::lookup(DirectoryKind kind) {
    auto loaded = DirectoryLookup::load(context_.dataFolder(), kind);
    if (!loaded) {
        reportError(loaded.error());
        return std::nullopt;
    }
    return std::move(*loaded);
}

void OrderEditor::setCaptionColour(QLabel* label, const std::optional<QColor>& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     colour ? *colour : QWidget::palette().color(QPalette::ButtonText));
    label->setPalette(palette);
}

void OrderEditor::titleCompanyChosen(int index) {
    state_.titleCompanyChoice = index > 0 ? cboTitleCo->itemText(index) : QString();
    if (index <= 0) {
        if (cboCustomer->currentIndex() <= 0) {
            cboType->clear();
            cboMuni->clear();
            UpdateEntryCommands();
            setCaptionColour(lblType, kCaptionRed);
            setCaptionColour(lblMuni, kCaptionRed);
        } else {
            const QString firm = cboCustomer->currentText();
            loadOrderRates(firm.left(firm.indexOf(QStringLiteral(" - "))));
        }
        txtTitleCo->clear();
        setCaptionColour(lblFileNumb, std::nullopt);
        UpdateEntryCommands();
        return;
    }
    setCaptionColour(lblFileNumb, kCaptionRed);
    const auto companies = lookup(DirectoryKind::Companies);
    if (!companies)
        return;
    const auto entry = companies->findPickItem(cboTitleCo->itemText(index));
    if (entry) {
        const DirectoryBoxes& f = entry->fields;
        QStringList lines;
        for (int box : {2, 3, 4, 5, 7})
            lines << QStringLiteral("  ") + f[size_t(box - 1)];
        txtTitleCo->setPlainText(lines.join(QLatin1Char('\n')));
        loadOrderRates(customRateNameOf(DirectoryKind::Companies, entry->boxes));
        if (cboTitleCo->hasFocus())
            (txtCust[1]->isVisible() ? static_cast<QWidget*>(txtCust[1]) : cboCustomer)->setFocus();
    }
    UpdateEntryCommands();
}

void OrderEditor::lawFirmChosen(int index) {
    if (index < 0)
        return;
    if (index == 0) {
        if (state_.attorneyListUpdating)
            return;
        for (int i = 1; i <= 8; ++i)
            txtCust[i]->clear();
        state_.recText.clear();
        if (cboTitleCo->currentIndex() == 0) {
            cboType->clear();
            cboMuni->clear();
            UpdateEntryCommands();
            setCaptionColour(lblType, kCaptionRed);
            setCaptionColour(lblMuni, kCaptionRed);
        }
        return;
    }
    const auto attorneys = lookup(DirectoryKind::Attorneys);
    if (!attorneys)
        return;
    const auto entry = attorneys->findPickItem(cboCustomer->itemText(index));
    if (!entry)
        return;
    state_.recText = entry->line;
    if (cboTitleCo->currentIndex() <= 0)
        loadOrderRates(customRateNameOf(DirectoryKind::Attorneys, entry->boxes));
    optionsUpdating_ = true;
    for (int i = 1; i <= 8; ++i) {
        txtCust[i]->clear();
        if (boxHoldsValue(DirectoryKind::Attorneys, i, entry->boxes[size_t(i - 1)]))
            txtCust[i]->setText(entry->boxes[size_t(i - 1)]);
    }
    if (!boxHoldsValue(DirectoryKind::Attorneys, 1, entry->boxes[0]))
        txtCust[1]->setText(txtCust[2]->text());
    optionsUpdating_ = false;
    attorneyFieldChanged();
    showTypedLawFirm(true);
    txtPropAddr1->setFocus();
}

AttorneyFields OrderEditor::attorneyFields() const {
    AttorneyFields fields;
    for (int i = 1; i <= 8; ++i)
        fields[size_t(i - 1)] = txtCust[i]->text();
    return fields;
}

void OrderEditor::attorneyFieldChanged() {
    if (optionsUpdating_)
        return;
    const AttorneyFields fields = attorneyFields();
    const AttorneyOptions options =
        attorneyOptionsFor(fields, state_.recText, cboCustomer->currentText());
    optAddNew->setEnabled(options.addNewEnabled);
    optReplace->setEnabled(options.replaceEnabled);
    for (QRadioButton* option : {optAddNew, optReplace})
        option->setAutoExclusive(false);
    optAddNew->setChecked(options.addNewChecked);
    optReplace->setChecked(options.replaceChecked);
    for (QRadioButton* option : {optAddNew, optReplace})
        option->setAutoExclusive(true);
    if (cboCustomer->isHidden()) {
        const int same = cboCustomer->findText(attorneyKeyOf(fields), Qt::MatchExactly);
        if (same > 0 && same != cboCustomer->currentIndex()) {
            cboCustomer->setCurrentIndex(same);
            lawFirmChosen(same);
        }
    }
}

void OrderEditor::serviceChosen(DropDownList* list) {
    if (list->currentIndex() == 0)
        list->setCurrentIndex(-1); // "< none >" chooses nothing
    if (list == cboType) {
        if (cboType->currentIndex() > 0) {
            setCaptionColour(lblType, kCaptionRed);
            setCaptionColour(lblMuni, kCaptionDarkGrey);
        } else {
            setCaptionColour(lblMuni, kCaptionRed);
            if (cboMuni->currentIndex() >= 1)
                setCaptionColour(lblType, kCaptionDarkGrey);
        }
    } else {
        const bool onlyMuni = cboMuni->currentIndex() > 0 && cboType->currentIndex() == -1;
        setCaptionColour(lblType, onlyMuni ? kCaptionDarkGrey : kCaptionRed);
    }
    std::optional<Money>& override =
        list == cboType ? state_.typeFeeOverride : state_.muniFeeOverride;
    if (list->currentIndex() < 0 ||
        override.value_or(Money()) != Money::fromDollars(list->currentData().toLongLong()))
        override.reset();
    UpdateEntryCommands();
}

void OrderEditor::searcherChosen(int index) {
    state_.searcherChoice = index > 0 ? cboSearcher->itemText(index) : QString();
    if (index <= 0) {
        txtSearcher->clear();
        txtMessg->clear();
        cmdAssign->setEnabled(false);
        return;
    }
    const auto searchers = lookup(DirectoryKind::Searchers);
    if (!searchers)
        return;
    const auto entry =
        searchers->entryAt(searchers->firstRowContaining(cboSearcher->itemText(index)));
    if (!entry)
        return;
    const DirectoryBoxes& b = entry->boxes;
    txtSearcher->setPlainText(QStringLiteral("  %1\n  %2\thome\n  %3\tcell").arg(b[3], b[4], b[5]));
    if (isRush(DTPicker1->date(), context_.clock->today()))
        txtMessg->setText(kRushText);
    UpdateEntryCommands();
}

void OrderEditor::dueDateChanged() {
    const bool rush =
        isRush(DTPicker1->date(), context_.clock->today()) && cboSearcher->currentIndex() >= 1;
    txtMessg->setText(rush ? kRushText : QString());
}

void OrderEditor::fillTitleCompanies(const QStringList& items, int selected) {
    cboTitleCo->clear();
    cboTitleCo->addItems(items);
    cboTitleCo->setCurrentIndex(selected);
}

void OrderEditor::fillAttorneys(const QStringList& items) {
    state_.attorneyListUpdating = true;
    cboCustomer->clear();
    cboCustomer->addItems(items);
    cboCustomer->setCurrentIndex(0);
    state_.attorneyListUpdating = false;
}

void OrderEditor::fillSearchers(const QStringList& items, int selected) {
    cboSearcher->clear();
    cboSearcher->addItems(items);
    cboSearcher->setCurrentIndex(selected);
}

void OrderEditor::loadOrderRates(const QString& customer) {
    auto schedule = readFeeSchedule(context_.dataFolder());
    auto rates = readCustomRates(context_.dataFolder(), toDisk(customer));
    if (!schedule || !rates) {
        reportError(schedule ? rates.error() : schedule.error());
        return;
    }
    const ServicePickLists lists = servicePickLists(*schedule, *rates);
    for (auto [combo, picks] : {std::pair{static_cast<QComboBox*>(cboType), &lists.types},
                                std::pair{static_cast<QComboBox*>(cboMuni), &lists.municipal}}) {
        combo->clear();
        for (const ServicePick& pick : *picks)
            combo->addItem(pick.code, QVariant::fromValue(static_cast<qlonglong>(pick.dollars)));
        combo->setCurrentIndex(-1); // a fresh list has nothing chosen
    }
}

void OrderEditor::FillTownList(const QString& state) {
    cboTown->clear();
    cboTown->addItems(townPickList(state));
    cboTown->setCurrentIndex(0);
    UpdateEntryCommands();
}

void OrderEditor::dayChanged(const QDate& today) {
    DTPicker1->setDate(today);
}

bool OrderEditor::holdsUnsavedPull() const {
    // A split order was never taken out of Pending.fil: nothing of it can be lost.
    return state_.pull == EditorState::Pull::Editing && !state_.splitLocked &&
           !state_.savedSincePull;
}

void OrderEditor::reportError(const Error& error) {
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                              fromDisk(error.describe()));
}

} // namespace qm
