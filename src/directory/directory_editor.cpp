#include "directory_editor.h"

#include "cp1252.h"
#include "directory_files.h"
#include "files.h"
#include "phone.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

namespace qm {
namespace {

const QColor kOpenColour(255, 255, 128);
const QColor kClosedColour(224, 224, 224);

// The stored bytes of a row, so REMOVE matches the file exactly whatever the code page did.
constexpr int kBytesRole = Qt::UserRole;

void setFace(QWidget* w, QPalette::ColorRole role, const QColor& colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

std::string toFileBytes(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

} // namespace

DirectoryEditor::DirectoryEditor(std::function<std::string()> dataFolder, Dialogs& dialogs,
                                 QWidget* parent)
    : QWidget(parent), dataFolder_(std::move(dataFolder)), dialogs_(dialogs) {
    auto* top = new QVBoxLayout(this);
    auto* kinds = new QHBoxLayout;
    cmdTitleCompanies = new QPushButton(QStringLiteral("Title Companies"), this);
    cmdAttorneys = new QPushButton(QStringLiteral("Attorneys"), this);
    cmdSearchers = new QPushButton(QStringLiteral("Searchers"), this);
    cmdTitleCompanies->setObjectName(QStringLiteral("cmdTitleCompanies"));
    cmdAttorneys->setObjectName(QStringLiteral("cmdAttorneys"));
    cmdSearchers->setObjectName(QStringLiteral("cmdSearchers"));
    for (QPushButton* b : {cmdTitleCompanies, cmdAttorneys, cmdSearchers})
        kinds->addWidget(b);
    top->addLayout(kinds);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->installEventFilter(this);
    List1->viewport()->installEventFilter(this);
    top->addWidget(List1, 1);

    auto* fields = new QGridLayout;
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n) {
        Text[n] = new QLineEdit(this);
        Text[n]->setObjectName(QStringLiteral("Text(%1)").arg(n));
        Text[n]->installEventFilter(this);
        fields->addWidget(Text[n], n - 1, 0);
        connect(Text[n], &QLineEdit::textEdited, this, [this, n] { onBoxEdited(n); });
        connect(Text[n], &QLineEdit::textChanged, this, [this, n] { onBoxChanged(n); });
    }
    // Same cell as box 7 so the list covers it while a carrier is chosen.
    cboCarrier = new QComboBox(this);
    cboCarrier->setObjectName(QStringLiteral("cboCarrier"));
    cboCarrier->addItems(kCellCarriers);
    cboCarrier->installEventFilter(this);
    fields->addWidget(cboCarrier, 6, 0);
    connect(cboCarrier, &QComboBox::activated, this,
            [this](int index) { Text[7]->setText(cboCarrier->itemText(index)); });
    top->addLayout(fields);

    auto* commands = new QHBoxLayout;
    cmdAdd = new QPushButton(QStringLiteral("ADD"), this);
    cmdRemove = new QPushButton(QStringLiteral("REMOVE"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    commands->addWidget(cmdAdd);
    commands->addWidget(cmdRemove);
    top->addLayout(commands);

    connect(cmdTitleCompanies, &QPushButton::clicked, this,
            [this] { onKindButton(DirectoryKind::Companies); });
    connect(cmdAttorneys, &QPushButton::clicked, this,
            [this] { onKindButton(DirectoryKind::Attorneys); });
    connect(cmdSearchers, &QPushButton::clicked, this,
            [this] { onKindButton(DirectoryKind::Searchers); });
    // The selection, not the current row: a mouse press makes the row current before it
    // selects it, so the current row would show the entry clicked before.
    connect(List1, &QListWidget::itemSelectionChanged, this, &DirectoryEditor::onSelectionChanged);
    // A click on the row already selected (after the boxes were edited) shows it again.
    connect(List1, &QListWidget::itemClicked, this, [this] {
        if (!rowShownSincePress_)
            showSelected();
    });
    connect(cmdAdd, &QPushButton::clicked, this, &DirectoryEditor::add);
    connect(cmdRemove, &QPushButton::clicked, this, &DirectoryEditor::remove);

    ClearDataView();
}

void DirectoryEditor::paintButtons() {
    const std::pair<QPushButton*, DirectoryKind> buttons[] = {
        {cmdTitleCompanies, DirectoryKind::Companies},
        {cmdAttorneys, DirectoryKind::Attorneys},
        {cmdSearchers, DirectoryKind::Searchers}};
    for (const auto& [button, kind] : buttons)
        setFace(button, QPalette::Button, kind_ == kind ? kOpenColour : kClosedColour);
}

void DirectoryEditor::onKindButton(DirectoryKind kind) {
    emit customRatesSave();
    if (kind_ == kind) {
        ClearDataView();
        return;
    }
    LoadDatabase(kind);
}

void DirectoryEditor::emptyBoxes() {
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n) {
        Text[n]->setEnabled(false);
        Text[n]->setText(QString());
        Text[n]->setPlaceholderText(QString());
        Text[n]->setToolTip(QString());
    }
}

void DirectoryEditor::ClearDataView() {
    kind_.reset();
    paintButtons();
    cmdAdd->setEnabled(false);
    cmdRemove->setEnabled(false);
    hideCarrierList(true);
    emptyBoxes();
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
    }
    forgetSelected();
}

bool DirectoryEditor::LoadDatabase(DirectoryKind kind) {
    cmdRemove->setEnabled(false);
    hideCarrierList(true);
    // Placeholders of the previous kind must not count as values while the boxes are reset.
    kind_.reset();
    emptyBoxes();
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
    }
    forgetSelected();
    kind_ = kind;
    paintButtons();

    auto lookup = DirectoryLookup::load(dataFolder_(), kind);
    if (!lookup) {
        reportError(lookup.error());
        return false;
    }
    fillList(*lookup);

    for (int n = 1; n <= int(kDirectoryFieldCount); ++n) {
        const QString placeholder = directoryPlaceholder(kind, n);
        Text[n]->setEnabled(true);
        Text[n]->setPlaceholderText(placeholder);
        Text[n]->setToolTip(placeholder);
        Text[n]->setText(placeholder);
    }
    cmdAdd->setEnabled(false);
    return true;
}

void DirectoryEditor::fillList(const DirectoryLookup& lookup) {
    {
        const QSignalBlocker quiet(List1);
        List1->clear();
        const QStringList& rows = lookup.rows();
        for (qsizetype i = 0; i < rows.size(); ++i) {
            auto* item = new QListWidgetItem(rows[i], List1);
            item->setData(kBytesRole, QByteArray::fromStdString(lookup.rowBytes()[size_t(i)]));
        }
    }
    forgetSelected();
}

bool DirectoryEditor::selectRow(int row) {
    if (row < 0 || row >= List1->count())
        return false;
    rowShownSincePress_ = false;
    List1->setCurrentRow(row);
    // The row may already be current: show it anyway, as a click would.
    if (!rowShownSincePress_)
        showSelected();
    return true;
}

DirectoryBoxes DirectoryEditor::boxes() const {
    DirectoryBoxes b;
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        b[size_t(n - 1)] = Text[n]->text();
    return b;
}

QString DirectoryEditor::customRateName() const {
    return kind_ ? customRateNameOf(*kind_, boxes()) : QString();
}

void DirectoryEditor::onSelectionChanged() {
    rowShownSincePress_ = true;
    if (List1->selectedItems().isEmpty())
        forgetSelected();
    else
        showSelected();
}

void DirectoryEditor::showSelected() {
    if (!kind_ || List1->selectedItems().isEmpty())
        return;
    const DirectoryKind kind = *kind_;
    const QListWidgetItem* item = List1->selectedItems().first();
    removalMark_ = false;
    hideCarrierList(true);
    SelectedDirectoryEntry entry;
    entry.kind = kind;
    entry.line = item->text();
    entry.bytes = item->data(kBytesRole).toByteArray().toStdString();
    entry.boxes = boxesOfLine(kind, entry.line);
    const DirectoryBoxes& shown = entry.boxes;
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        Text[n]->setText(shown[size_t(n - 1)]);

    if (kind == DirectoryKind::Companies && boxHoldsValue(kind, 1, shown[0]))
        entry.rateName = shown[0];
    else if (kind == DirectoryKind::Attorneys && attorneyRatesAllowed_())
        entry.rateName = boxHoldsValue(kind, 1, shown[0])   ? shown[0]
                         : boxHoldsValue(kind, 2, shown[1]) ? shown[1]
                                                            : QString();
    selected_ = std::move(entry);
    cmdAdd->setEnabled(false);
    cmdRemove->setEnabled(true);
    emit currentEntryChanged(selected_);
    if (!selected_.rateName.isEmpty())
        emit customRatesLoad(selected_.rateName);
}

void DirectoryEditor::forgetSelected() {
    cmdRemove->setEnabled(false);
    if (selected_.isEmpty())
        return;
    selected_ = {};
    emit currentEntryChanged(selected_);
}

void DirectoryEditor::onBoxEdited(int box) {
    // Typed refused characters never arrive (eventFilter); this catches pasted and dropped text.
    QLineEdit* edit = Text[box];
    const QString clean = withoutRefusedCharacters(box, edit->text());
    if (clean != edit->text()) {
        const int cursor = edit->cursorPosition() - int(edit->text().size() - clean.size());
        edit->setText(clean);
        edit->setCursorPosition(std::max(0, cursor));
    }
    if (refuseLongName(box)) {
        dialogs_.message(this, QMessageBox::Warning, QStringLiteral("NAME TOO LONG"),
                         QStringLiteral("A name can be at most %1 characters long, so that the "
                                        "file of its custom rates can be stored.\nThe "
                                        "characters past that were not taken.")
                             .arg(kMaxNameBytes));
    }
}

bool DirectoryEditor::refuseLongName(int box) {
    if (box != 1 && box != 2)
        return false;
    QLineEdit* edit = Text[box];
    QString text = edit->text();
    qsizetype excess = qsizetype(toFileBytes(text).size()) - kMaxNameBytes;
    if (excess <= 0)
        return false;
    // Each character is one byte on disk: drop the newest ones, those just before the cursor,
    // keeping surrogate pairs whole; then from the end if the cursor ran out.
    qsizetype cursor = edit->cursorPosition();
    while (excess > 0 && !text.isEmpty()) {
        qsizetype at = cursor > 0 ? cursor : text.size();
        qsizetype width =
            at >= 2 && text[at - 1].isLowSurrogate() && text[at - 2].isHighSurrogate() ? 2 : 1;
        text.remove(at - width, width);
        if (cursor > 0)
            cursor -= width;
        --excess;
    }
    edit->setText(text);
    edit->setCursorPosition(int(cursor > 0 ? cursor : text.size()));
    return true;
}

void DirectoryEditor::onBoxChanged(int box) {
    QLineEdit* edit = Text[box];
    if (!kind_) {
        setFace(edit, QPalette::Base, kClosedColour);
        return;
    }
    const DirectoryKind kind = *kind_;
    if (isPhoneBox(kind, box) && edit->text().size() >= 10) {
        const QString formatted = formatPhone(edit->text());
        if (formatted != edit->text()) {
            edit->setText(formatted); // runs this again, with nothing left to format
            if (phoneCursorToEnd(formatted))
                edit->setCursorPosition(int(formatted.size()));
            return;
        }
    }
    setFace(edit, QPalette::Base,
            edit->text() == directoryPlaceholder(kind, box) ? kOpenColour : kClosedColour);
    cmdAdd->setEnabled(isEntryComplete(kind, boxes()));
}

void DirectoryEditor::onBoxFocused(int box) {
    cmdRemove->setEnabled(false);
    if (box == 7 && kind_ == DirectoryKind::Searchers) {
        // Deferred: moving the focus from inside its own focus-in event confuses Qt.
        QTimer::singleShot(0, this, [this] {
            if (kind_ == DirectoryKind::Searchers && Text[7]->hasFocus())
                showCarrierList();
        });
        return;
    }
    hideCarrierList(false);
    QTimer::singleShot(0, Text[box], &QLineEdit::selectAll);
}

void DirectoryEditor::showCarrierList() {
    cboCarrier->setCurrentIndex(cboCarrier->findText(Text[7]->text()));
    cboCarrier->show();
    cboCarrier->setFocus(Qt::OtherFocusReason);
    Text[7]->hide();
}

void DirectoryEditor::hideCarrierList(bool clearChoice) {
    if (clearChoice)
        cboCarrier->setCurrentIndex(-1);
    cboCarrier->hide();
    Text[7]->show();
}

int DirectoryEditor::boxOf(QObject* object) const {
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        if (Text[n] == object)
            return n;
    return 0;
}

bool DirectoryEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == List1->viewport() && event->type() == QEvent::MouseButtonPress) {
        emit customRatesSave();
        rowShownSincePress_ = false;
    } else if (watched == List1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int row = List1->currentRow();
        if ((key == Qt::Key_Up && row > 0) || (key == Qt::Key_Down && row + 1 < List1->count()))
            emit customRatesSave();
    } else if (watched == cboCarrier && event->type() == QEvent::FocusOut) {
        // Opening its own popup takes the focus too; that is not leaving.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            hideCarrierList(false);
    } else if (const int box = boxOf(watched)) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            for (QChar c : typed)
                if (isRefusedCharacter(box, c))
                    return true;
            break;
        }
        case QEvent::FocusIn:
            onBoxFocused(box);
            break;
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                Text[box]->setCursorPosition(0);
            break;
        case QEvent::MouseButtonRelease:
            QTimer::singleShot(0, Text[box], &QLineEdit::selectAll);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DirectoryEditor::add() {
    if (!kind_)
        return;
    const DirectoryKind kind = *kind_;
    const DirectoryBoxes entered = boxes();
    const QString line = directoryLineOf(kind, entered);
    std::optional<DirectoryLookup> after;
    {
        auto lock = DataLock::acquire(dataFolder_());
        if (!lock) {
            reportError(lock.error());
            return;
        }
        auto file = DirectoryLookup::load(*lock, kind);
        if (!file) {
            reportError(file.error());
            return;
        }
        if (!isDuplicateEntry(kind, entered, file->rows())) {
            if (auto written = appendDirectoryEntry(*lock, kind, toFileBytes(line)); !written) {
                reportError(written.error());
                return;
            }
            // Re-read under the same lock so the list is the file, sorted the one way.
            auto reread = DirectoryLookup::load(*lock, kind);
            if (!reread) {
                reportError(reread.error());
                return;
            }
            after = std::move(*reread);
        }
    } // the lock goes before the signals, whose receivers may want it
    if (!after) {
        dialogs_.message(this, QMessageBox::Critical, QString::fromLatin1(directoryKindName(kind)),
                         QStringLiteral("Entry Already Exists"));
        Text[1]->setFocus(Qt::OtherFocusReason);
        cmdAdd->setEnabled(false);
        List1->clearSelection();
        return;
    }
    removalMark_ = false;
    emit customRatesSave();
    fillList(*after);
    // Equal lines keep file order, so the one just appended is the last of them.
    const auto found = List1->findItems(line, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!found.isEmpty())
        selectRow(List1->row(found.last()));
}

void DirectoryEditor::remove() {
    if (!kind_ || selected_.kind != kind_)
        return;
    const DirectoryKind kind = *kind_;
    // The entry the boxes show is the one taken away, with its rate file.
    const SelectedDirectoryEntry entry = selected_;
    const std::string& bytes = entry.bytes;
    {
        auto lock = DataLock::acquire(dataFolder_());
        if (!lock) {
            reportError(lock.error());
            return;
        }
        if (auto removed = removeDirectoryEntry(*lock, kind, bytes); !removed) {
            reportError(removed.error());
            return;
        }
    }
    const QString name = customRateNameOf(kind, entry.boxes);
    if (!name.isEmpty()) {
        auto path = customRatePath(dataFolder_(), toFileBytes(name));
        if (path && fileExists(*path))
            std::remove(path->c_str());
    }
    {
        const QSignalBlocker quiet(List1);
        for (int row = List1->count() - 1; row >= 0; --row)
            if (List1->item(row)->data(kBytesRole).toByteArray().toStdString() == bytes)
                delete List1->takeItem(row);
        List1->setCurrentRow(-1);
    }
    forgetSelected();
    emit customCaptionCleared();
    Text[1]->setFocus(Qt::OtherFocusReason);
    removalMark_ = true;
    cmdRemove->setEnabled(false);
    cmdAdd->setEnabled(true);
}

void DirectoryEditor::reportError(const Error& error) {
    const QString title = kind_ ? QString::fromLatin1(directoryKindName(*kind_)) : QString();
    dialogs_.message(this, QMessageBox::Critical, title, QString::fromStdString(error.describe()));
}

} // namespace qm
