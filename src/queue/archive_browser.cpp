#include "archive_browser.h"

#include "archive_model.h"
#include "cp1252.h"
#include "details_logic.h"
#include "dialogs.h"
#include "disk_text.h"
#include "list_printer.h"
#include "printer.h"
#include "queue_widgets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

namespace qm {

namespace {

QFont listFont() {
    QFont font(QStringLiteral("Lucida Console"));
    font.setPointSizeF(9);
    // Another fixed-pitch face stands in where that one is missing, so the columns line up.
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

QString faultText(const Error& fault) {
    return QStringLiteral("%1\n\nThe archived orders before it are listed.")
        .arg(fromDisk(fault.describe()));
}

} // namespace

ArchiveBrowser::ArchiveBrowser(AppContext& context, QWidget* parent, WindowPreparer prepare)
    : QDialog(parent), context_(context), prepare_(std::move(prepare)) {
    setObjectName(QStringLiteral("Form3"));
    setModal(true);
    setWindowTitle(archiveCaption(QString()));

    Combo1 = named(new QComboBox, QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(32);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Combo1->installEventFilter(this);
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            customerClick();
    });
    lblHint = named(new QLabel(kArchiveHint), QStringLiteral("lblHint"));

    List2 = named(new QListView, QStringLiteral("List2"));
    model_ = new ArchiveModel(this);
    List2->setModel(model_);
    listDesignFont_ = listFont();
    List2->setFont(listDesignFont_);
    // Every row is one line of the same font: the view need not measure a million of them.
    List2->setUniformItemSizes(true);
    List2->setSelectionMode(QAbstractItemView::SingleSelection);
    List2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List2->setWordWrap(false);
    List2->setTextElideMode(Qt::ElideNone);
    List2->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    List2->installEventFilter(this);
    connect(List2->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QModelIndexList rows = List2->selectionModel()->selectedIndexes();
        if (!rows.isEmpty())
            orderClick(rows.front().row());
    });

    Text1 = named(new QPlainTextEdit, QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setFont(queueTextFont());

    cmdPrint = named(new QPushButton(QStringLiteral("PRINT")), QStringLiteral("cmdPrint"));
    cmdReset = named(new QPushButton(QStringLiteral("RESET")), QStringLiteral("cmdReset"));
    for (QPushButton* button : {cmdPrint, cmdReset}) {
        // Enter in the list belongs to no button.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(cmdPrint, &QPushButton::clicked, this, &ArchiveBrowser::cmdPrintClick);
    connect(cmdReset, &QPushButton::clicked, this, &ArchiveBrowser::cmdResetClick);

    auto* top = new QHBoxLayout;
    top->addWidget(Combo1);
    top->addSpacing(12);
    top->addWidget(lblHint, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdReset);
    buttons->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Text1, 1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(List2, 3);
    layout->addLayout(bottom, 2);
    resize(1000, 660);
    cmdPrint->setEnabled(false);
}

ArchiveBrowser::~ArchiveBrowser() {
    unload();
}

int ArchiveBrowser::exec() {
    if (!load())
        return QDialog::Rejected;
    return QDialog::exec();
}

bool ArchiveBrowser::load() {
    unload();
    auto read = ArchiveList::read(context_.dataFolder());
    if (!read) {
        if (context_.dialogs)
            context_.dialogs->message(parentWidget(), QMessageBox::Critical,
                                      QStringLiteral("DATA ACCESS ERROR"),
                                      fromDisk(read.error().describe()));
        return false;
    }
    list_ = std::make_unique<ArchiveList>(std::move(read).value());
    filter_ = std::make_unique<ArchiveFilter>(*list_);
    searchText_.clear();
    setWindowTitle(archiveCaption(searchText_));
    selectedFileNumber_.clear();
    fillCustomers();
    FilterArchiveList();

    List2->setFont(listDesignFont_);
    if (prepare_)
        prepare_(this);
    QFont font = List2->font();
    font.setPointSizeF(font.pointSizeF() * archiveListFontFactor(context_.zoomFactor));
    List2->setFont(font);

    if (list_->fault() && context_.dialogs)
        context_.dialogs->message(parentWidget(), QMessageBox::Warning,
                                  QStringLiteral("DATA ACCESS ERROR"), faultText(*list_->fault()));
    return true;
}

void ArchiveBrowser::fillCustomers() {
    QScopedValueRollback quiet(filling_, true);
    Combo1->clear();
    Combo1->addItem(kArchiveCustomerPlaceholder);
    QStringList keys;
    for (std::string_view key : list_->keys())
        keys << fromDisk(key);
    for (int k : sortedCustomerOrder(keys))
        Combo1->addItem(keys[k], static_cast<unsigned>(k));
    Combo1->setCurrentIndex(0);
}

std::optional<std::uint32_t> ArchiveBrowser::chosenCustomer() const {
    if (Combo1->currentIndex() <= 0)
        return std::nullopt;
    return Combo1->currentData().toUInt();
}

void ArchiveBrowser::FilterArchiveList() {
    Text1->clear();
    detailsText_.clear();
    cmdPrint->setEnabled(false);
    if (!filter_) {
        model_->clear();
        return;
    }
    model_->show(list_.get(), [this] { return &filter_->apply(chosenCustomer(), searchText_); });
}

void ArchiveBrowser::customerClick() {
    FilterArchiveList();
    if (List2->isVisible())
        List2->setFocus();
}

void ArchiveBrowser::setSearchText(const QString& text) {
    searchText_ = text;
    setWindowTitle(archiveCaption(searchText_));
    FilterArchiveList();
}

bool ArchiveBrowser::listKeyPress(const QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Backspace:
        setSearchText(searchText_.left(searchText_.size() - 1));
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        break;
    }
    const QString typed = key->text();
    if (typed.isEmpty() ||
        key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false; // arrows, pages, shortcuts and the like are the list's
    QString added;
    for (QChar c : typed)
        if (c.unicode() >= 32 && c.unicode() != 127)
            added += searchCharacter(c);
    if (!added.isEmpty())
        setSearchText(searchText_ + added);
    return true; // other control characters do nothing
}

bool ArchiveBrowser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == List2)
        return listKeyPress(key);
    // A character typed on the customer list goes to the order list, where it is the search.
    if (watched == Combo1 && !key->text().isEmpty()) {
        List2->setFocus();
        listKeyPress(key);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ArchiveBrowser::orderClick(int row) {
    auto order = list_->record(model_->lineIndex(row));
    if (!order) {
        detailsText_.clear();
        cmdPrint->setEnabled(false);
        Text1->setPlainText(fromDisk(order.error().describe()));
        return;
    }
    selectedFileNumber_ = fromDisk(order->text(OrderField::FileNumber));
    ArchiveDetailsInput input{&*order, {}, {}};
    std::tie(input.homePhone, input.cellPhone) =
        searcherPhones(context_.dataFolder(), fromDisk(order->searcherName()));
    detailsText_ = archiveDetailsText(input);
    // The text box keeps paragraphs, not line ends: CR LF would count twice.
    Text1->setPlainText(
        QString(detailsText_).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    cmdPrint->setEnabled(true);
}

void ArchiveBrowser::cmdPrintClick() {
    List2->setFocus();
    if (!context_.printer || !printDetail(*context_.printer, {}, detailsText_, true)) {
        if (context_.dialogs)
            context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral(" PRINTER ERROR"),
                                      QStringLiteral("Cannot Find Printer"));
    }
}

void ArchiveBrowser::cmdResetClick() {
    {
        QScopedValueRollback quiet(filling_, true);
        Combo1->setCurrentIndex(0);
    }
    setSearchText(QString());
    List2->setFocus();
}

void ArchiveBrowser::done(int result) {
    unload();
    QDialog::done(result);
}

void ArchiveBrowser::unload() {
    model_->clear();
    filter_.reset();
    list_.reset();
    detailsText_.clear();
    Text1->clear();
    QScopedValueRollback quiet(filling_, true);
    Combo1->clear();
}

} // namespace qm
