#include "settings_panel.h"

#include "cp1252.h"
#include "dialogs.h"
#include "directory_editor.h"
#include "files.h"
#include "messenger.h"
#include "phone.h"
#include "settings_layout.h"
#include "settings_logic.h"
#include "towns.h"
#include "values.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

namespace qm {

namespace {

constexpr int kServiceGridRows = 50; // the heading row and 49 services

// Row 0 of a grid holds its centred headings, which take no typing.
void setGridHeading(QTableWidget* grid, int column, const QString& text) {
    auto* heading = new QTableWidgetItem(text);
    heading->setTextAlignment(Qt::AlignCenter);
    heading->setFlags(Qt::ItemIsEnabled);
    grid->setItem(0, column, heading);
}

// Phone boxes take the shared phone form as they change.
void formatPhoneBox(QLineEdit* box) {
    const QString formatted = formatPhone(box->text());
    if (formatted != box->text())
        box->setText(formatted);
    if (phoneCursorToEnd(formatted))
        box->setCursorPosition(static_cast<int>(formatted.size()));
}

QString fromDisk(const std::string& bytes) {
    return QString::fromStdString(cp1252ToUtf8(bytes));
}
std::string toDisk(const QString& text) {
    return utf8ToCp1252(text.toStdString());
}

std::vector<std::pair<QString, QString>> gridRows(const QTableWidget* grid, int feeColumn) {
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 1; row < grid->rowCount(); ++row) {
        const QTableWidgetItem* code = grid->item(row, 0);
        const QTableWidgetItem* fee = grid->item(row, feeColumn);
        rows.emplace_back(code ? code->text() : QString(), fee ? fee->text() : QString());
    }
    return rows;
}

} // namespace

SettingsPanel::SettingsPanel(AppContext& context, QWidget* parent)
    : QFrame(parent), context_(context) {
    setObjectName(QStringLiteral("Frame1"));
    setFrameShape(QFrame::StyledPanel);
    // In this order: the directory's signals reach the schedule's controls.
    QWidget* business = buildBusiness();
    QWidget* schedule = buildSchedule();
    QWidget* directoryColumn = buildDirectory();
    layOutSettingsPanel(*this, business, schedule, directoryColumn);
}

QWidget* SettingsPanel::buildBusiness() {
    auto box = [](const char* name) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    txtCoName = box("txtCoName");
    txtAddr1 = box("txtAddr1");
    txtAddr2 = box("txtAddr2");
    txtCSZip = box("txtCSZip");
    txtPhone = box("txtPhone");
    txtFax = box("txtFax");
    txtEmail = box("txtEmail");
    cboState = new QComboBox;
    cboState->setObjectName(QStringLiteral("cboState"));
    cboState->addItems(operatingStates());
    cboState->setCurrentIndex(-1);
    for (QLineEdit* phone : {txtPhone, txtFax})
        connect(phone, &QLineEdit::textChanged, this, [phone] { formatPhoneBox(phone); });
    txtDBasePath = box("txtDBasePath");
    optOutlook = new QRadioButton(QStringLiteral("Mail program"));
    optOutlook->setObjectName(QStringLiteral("optOutlook"));
    optMAPI = new QRadioButton(QStringLiteral("SMTP"));
    optMAPI->setObjectName(QStringLiteral("optMAPI"));
    optMAPI->setChecked(true);
    txtSmtpHost = box("txtSmtpHost");
    txtSmtpPort = new QSpinBox;
    txtSmtpPort->setObjectName(QStringLiteral("txtSmtpPort"));
    txtSmtpPort->setRange(1, 65535);
    cboSmtpSecurity = new QComboBox;
    cboSmtpSecurity->setObjectName(QStringLiteral("cboSmtpSecurity"));
    for (SmtpSecurity security : {SmtpSecurity::None, SmtpSecurity::StartTls, SmtpSecurity::Tls})
        cboSmtpSecurity->addItem(QString::fromLatin1(smtpSecurityName(security)),
                                 static_cast<int>(security));
    txtSmtpUser = box("txtSmtpUser");
    txtSmtpPassword = box("txtSmtpPassword");
    txtSmtpPassword->setEchoMode(QLineEdit::Password);
    txtSenderAddress = box("txtSenderAddress");
    txtMailProgram = box("txtMailProgram");
    cmdSendTest = new QPushButton(QStringLiteral("Send Test"));
    cmdSendTest->setObjectName(QStringLiteral("cmdSendTest"));
    cmdSendTest->setToolTip(QStringLiteral(" send a test message to the business's own address "));
    connect(cmdSendTest, &QPushButton::clicked, this, &SettingsPanel::sendTestMessage);
    showMailTransport(MailTransport{});
    chkAuto = new QCheckBox(QStringLiteral("Automatic Messaging ..."));
    chkAuto->setObjectName(QStringLiteral("chkAuto"));
    chkAuto->setToolTip(QStringLiteral(" check this box for ON"));
    Label12 = new QLabel(QStringLiteral("Brightness & Zoom"));
    Label12->setObjectName(QStringLiteral("Label12"));
    Slider1 = new QSlider(Qt::Horizontal);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setRange(-30, 30);
    Slider1->setToolTip(QStringLiteral(" brightness "));
    Slider2 = new QSlider(Qt::Horizontal);
    Slider2->setObjectName(QStringLiteral("Slider2"));
    Slider2->setRange(0, 60);
    Slider2->setToolTip(QStringLiteral(" zoom "));
    for (QSlider* s : {Slider1, Slider2}) {
        s->setSingleStep(1);
        s->setPageStep(1);
    }
    cmdDefaults = new QPushButton(QStringLiteral("OK"));
    cmdDefaults->setObjectName(QStringLiteral("cmdDefaults"));
    cmdDefaults->setToolTip(QStringLiteral(" save settings & return "));
    return settingsBusinessBox(*this);
}

QWidget* SettingsPanel::buildSchedule() {
    grdService = new QTableWidget(kServiceGridRows, 2);
    grdService->setObjectName(QStringLiteral("grdService"));
    grdService->horizontalHeader()->hide();
    grdService->verticalHeader()->hide();
    // Cells take typed characters one by one (see eventFilter), not a cell editor.
    grdService->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdService->installEventFilter(this);
    showServices({});
    // Over the custom column the hint names the service of the row under the pointer.
    grdService->setMouseTracking(true);
    connect(grdService, &QTableWidget::cellEntered, this, [this](int row, int column) {
        const QTableWidgetItem* code = grdService->item(row, 0);
        grdService->setToolTip(column == 2 && row > 0 && code ? code->text() : QString());
    });
    lblCustom = new QLabel;
    lblCustom->setObjectName(QStringLiteral("lblCustom"));
    return settingsScheduleColumn(*this);
}

QWidget* SettingsPanel::buildDirectory() {
    directory = new DirectoryEditor([this] { return context_.dataFolder(); }, *context_.dialogs);
    connect(directory, &DirectoryEditor::customRatesLoad, this, &SettingsPanel::loadCustomRates);
    connect(directory, &DirectoryEditor::customRatesSave, this, &SettingsPanel::saveCustomRates);
    connect(directory, &DirectoryEditor::customCaptionCleared, lblCustom, &QLabel::clear);
    // The carrier list takes box 7's place when that box is entered; it opens as it appears,
    // so one click chooses a carrier.
    directory->cboCarrier->installEventFilter(this);
    return settingsDirectoryColumn(*this);
}

void SettingsPanel::showSettings(const LoadedConfig& loaded) {
    const Settings& s = loaded.settings;
    txtDBasePath->setText(fromDisk(s.dataFolder));
    if (loaded.presence == ConfigPresence::Missing) {
        cboState->setCurrentIndex(0);
        return;
    }
    txtCoName->setText(fromDisk(s.company.name));
    txtAddr1->setText(fromDisk(s.company.address1));
    txtAddr2->setText(fromDisk(s.company.address2));
    txtCSZip->setText(fromDisk(s.company.cityStateZip));
    txtPhone->setText(fromDisk(s.company.phone));
    txtFax->setText(fromDisk(s.company.fax));
    txtEmail->setText(fromDisk(s.company.email));
    if (loaded.presence == ConfigPresence::Present)
        cboState->setCurrentIndex(cboState->findText(fromDisk(s.operatingState)));
    const int brightness = static_cast<int>(s.brightness);
    const int zoom = static_cast<int>(s.zoom);
    for (auto [slider, position] : {std::pair{Slider1, brightness}, std::pair{Slider2, zoom}}) {
        const QSignalBlocker quiet(slider);
        slider->setValue(position);
    }
    showMailTransport(s.mail);
    optOutlook->setChecked(s.useOutlook);
    optMAPI->setChecked(!s.useOutlook);
    chkAuto->setChecked(s.autoMessaging);
}

Settings SettingsPanel::settingsFromScreen() const {
    Settings s = context_.settings;
    s.company = {toDisk(txtCoName->text()), toDisk(txtAddr1->text()), toDisk(txtAddr2->text()),
                 toDisk(txtCSZip->text()),  toDisk(txtPhone->text()), toDisk(txtFax->text()),
                 toDisk(txtEmail->text())};
    s.operatingState = toDisk(cboState->currentText());
    s.brightness = Slider1->value();
    s.zoom = Slider2->value();
    s.autoMessaging = chkAuto->isChecked();
    s.useOutlook = optOutlook->isChecked();
    s.dataFolder = normaliseDataFolder(toDisk(txtDBasePath->text()), context_.programFolder);
    s.mail.smtpHost = toDisk(txtSmtpHost->text().trimmed());
    s.mail.smtpPort = txtSmtpPort->value();
    s.mail.security = static_cast<SmtpSecurity>(cboSmtpSecurity->currentData().toInt());
    s.mail.user = toDisk(txtSmtpUser->text());
    s.mail.password = toDisk(txtSmtpPassword->text());
    s.mail.senderAddress = toDisk(txtSenderAddress->text().trimmed());
    s.mail.mailProgram = toDisk(txtMailProgram->text().trimmed());
    return s;
}

void SettingsPanel::showMailTransport(const MailTransport& mail) {
    txtSmtpHost->setText(fromDisk(mail.smtpHost));
    txtSmtpPort->setValue(mail.smtpPort);
    cboSmtpSecurity->setCurrentIndex(cboSmtpSecurity->findData(static_cast<int>(mail.security)));
    txtSmtpUser->setText(fromDisk(mail.user));
    txtSmtpPassword->setText(fromDisk(mail.password));
    txtSenderAddress->setText(fromDisk(mail.senderAddress));
    txtMailProgram->setText(fromDisk(mail.mailProgram));
}

void SettingsPanel::focusDataPath() {
    txtDBasePath->setFocus();
    txtDBasePath->selectAll();
}

Result<SettingsPanel::Saved> SettingsPanel::save() {
    const Settings s = settingsFromScreen();
    txtDBasePath->setText(fromDisk(s.dataFolder));
    // Checked before anything is stored: a folder that leads nowhere would otherwise reach
    // config.txt and end the next start.
    if (!QFileInfo(QString::fromStdString(s.dataFolder)).isDir()) {
        context_.dialogs->message(
            this, QMessageBox::Critical, QStringLiteral("DATA ACCESS ERROR"),
            QStringLiteral("The data folder\n%1\ncannot be found. Nothing was saved.\n\n"
                           "Correct the Database Path, then click OK.")
                .arg(txtDBasePath->text()));
        focusDataPath();
        return Saved::No;
    }
    const bool newFolder = s.dataFolder != context_.settings.dataFolder;
    context_.settings = s;
    if (Status saved = saveConfig(context_.programFolder, s); !saved)
        return saved.error();
    if (Status scheduled = saveFeeSchedule(); !scheduled) {
        // The folder went away since the check above: say so, and let the user correct it.
        const ErrorKind kind = scheduled.error().kind;
        if (kind != ErrorKind::FileNotFound && kind != ErrorKind::PathNotFound)
            return scheduled.error();
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("DATA ACCESS ERROR"),
                                  fromDisk(scheduled.error().describe()));
        focusDataPath();
        return Saved::No;
    }
    saveCustomRates();
    directory->ClearDataView();
    return newFolder ? Saved::NewDataFolder : Saved::Yes;
}

void SettingsPanel::sendTestMessage() {
    const Settings onScreen = settingsFromScreen();
    Messenger trial(onScreen, *context_.dialogs);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Status sent = trial.sendTest(onScreen.company.email);
    QApplication::restoreOverrideCursor();
    const QString system = onScreen.useOutlook ? QStringLiteral("the mail program")
                                               : QStringLiteral("the SMTP server");
    if (sent)
        context_.dialogs->message(
            this, QMessageBox::Information, QStringLiteral("SEND TEST"),
            QStringLiteral("A test message went to %1 through %2.").arg(txtEmail->text(), system));
    else
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("SEND TEST"),
                                  QStringLiteral("The test message did not go through %1:\n%2")
                                      .arg(system, fromDisk(sent.error().message)));
}

bool SettingsPanel::typeIntoServiceGrid(QKeyEvent* key) {
    if (key->text().isEmpty())
        return false; // movement keys are the grid's own
    const int row = grdService->currentRow();
    const int column = grdService->currentColumn();
    if (row < 1 || column < 0 || column >= grdService->columnCount())
        return true;
    QTableWidgetItem* cell = grdService->item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        grdService->setItem(row, column, cell);
    }
    if (const auto edited = cellAfterKeystroke(cell->text(), key->text())) {
        cell->setText(*edited);
        serviceGridHoldsSchedule_ = true;
    }
    return true;
}

void SettingsPanel::loadCustomRates(const QString& name) {
    grdService->setColumnCount(3);
    setGridHeading(grdService, 2, QStringLiteral("custom"));
    lblCustom->setText(name.left(38));
    auto rates = readCustomRates(context_.dataFolder(), toDisk(name));
    if (!rates) {
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                                  fromDisk(rates.error().describe()));
        return;
    }
    for (const ServiceEntry& rate : *rates) {
        for (int row = 1; row < grdService->rowCount(); ++row) {
            const QTableWidgetItem* code = grdService->item(row, 0);
            if (code && toDisk(code->text().trimmed()) == rate.code) {
                grdService->setItem(row, 2, new QTableWidgetItem(fromDisk(rate.feeText)));
                break;
            }
        }
    }
}

void SettingsPanel::saveCustomRates() {
    const QString name = directory->customRateName().trimmed();
    if (grdService->columnCount() == 3 && !directory->removalMarked() && !name.isEmpty()) {
        if (Status saved = writeCustomRates(context_.dataFolder(), toDisk(name),
                                            customRatesFromRows(gridRows(grdService, 2)));
            !saved)
            context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                                      fromDisk(saved.error().describe()));
    }
    grdService->setColumnCount(2);
    grdService->scrollToTop();
    directory->clearRemovalMark();
    lblCustom->clear();
}

Status SettingsPanel::saveFeeSchedule() {
    // A grid that never received the schedule (the first load failed) would store an empty one.
    if (!serviceGridHoldsSchedule_)
        return okStatus();
    const auto schedule = feeScheduleFromRows(gridRows(grdService, 1));
    auto lock = DataLock::acquire(context_.dataFolder());
    if (!lock)
        return lock.error();
    return writeFeeSchedule(*lock, schedule);
}

bool SettingsPanel::eventFilter(QObject* watched, QEvent* e) {
    if (watched == grdService && e->type() == QEvent::KeyPress)
        return typeIntoServiceGrid(static_cast<QKeyEvent*>(e));
    if (directory && watched == directory->cboCarrier) {
        QComboBox* carrier = directory->cboCarrier;
        if (e->type() == QEvent::Show)
            QTimer::singleShot(0, carrier, [carrier] {
                if (carrier->isVisible() && carrier->hasFocus())
                    carrier->showPopup();
            });
        // Its own open list takes the focus; that is not leaving the box.
        if (e->type() == QEvent::FocusOut && carrier->view()->isVisible())
            return true;
    }
    return QFrame::eventFilter(watched, e);
}

void SettingsPanel::fillServiceGrid(const std::vector<ServiceEntry>& services) {
    serviceGridHoldsSchedule_ = true;
    showServices(services);
}

void SettingsPanel::showServices(const std::vector<ServiceEntry>& services) {
    grdService->clearContents();
    const QString headings[] = {QStringLiteral("Service Code"), QStringLiteral("Fee")};
    for (int column = 0; column < 2; ++column)
        setGridHeading(grdService, column, headings[column]);
    int row = 1;
    for (const ServiceEntry& entry : services) {
        if (row >= grdService->rowCount())
            break;
        grdService->setItem(row, 0, new QTableWidgetItem(fromDisk(entry.code)));
        const auto fee = parseNumber(entry.feeText);
        grdService->setItem(
            row, 1,
            new QTableWidgetItem(QString::fromStdString(fee ? formatFee(*fee) : entry.feeText)));
        ++row;
    }
}

} // namespace qm
