#include "main_window.h"

#include "appearance_apply.h"
#include "clock.h"
#include "cp1252.h"
#include "dialogs.h"
#include "directory_editor.h"
#include "messenger.h"
#include "order_editor.h"
#include "pending_queue.h"
#include "phone.h"
#include "settings_logic.h"
#include "text_guard.h"
#include "towns.h"
#include "values.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kServiceGridRows = 50; // the heading row and 49 services

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Fields keep their natural width instead of spanning the whole window.
QFormLayout* compactForm(QWidget* parent) {
    auto* form = new QFormLayout(parent);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    return form;
}

QFrame* separatorLine(const char* name) {
    auto* line = named(new QFrame, name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* faceLabel(const QString& text) {
    auto* label = new QLabel(text);
    markFaceColoured(label);
    return label;
}

QComboBox* pickList(const char* name) {
    auto* combo = named(new QComboBox, name);
    combo->setMinimumContentsLength(24);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

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

} // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), refresh_(*context.clock, *this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kDesignedCaption);
    markFaceColoured(this);

    lblDefaults =
        named(new QLabel(QStringLiteral("Double-Click HERE for defaults")), "lblDefaults");
    lblDefaults->setToolTip(QStringLiteral(" DEFAULT SETTINGS "));
    lblDefaults->installEventFilter(this);
    markFaceColoured(lblDefaults);
    lblNow = named(new QLabel, "lblNow");
    lblNow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    markFaceColoured(lblNow);
    Label0 = named(new QLabel, "Label0");
    Label0->setAlignment(Qt::AlignCenter);
    Label0->hide();
    markFaceColoured(Label0);

    messenger_ = std::make_unique<Messenger>(context_.settings, *context_.dialogs);
    SSTab1 = named(new QTabWidget, "SSTab1");
    auto* newOrder = new QWidget;
    auto* pending = new QWidget;
    auto* completed = new QWidget;
    SSTab1->addTab(newOrder, QStringLiteral("New Order"));
    SSTab1->addTab(pending, QStringLiteral(" Pending Searches"));
    SSTab1->addTab(completed, QStringLiteral("Completed"));
    buildNewOrderTab(newOrder);
    buildPendingTab(pending);
    buildCompletedTab(completed);
    Frame1 = buildSettingsFrame();
    Frame1->hide();
    Frame1->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(lblDefaults);
    top->addStretch(1);
    top->addWidget(lblNow);
    auto* stack = new QGridLayout;
    stack->addWidget(SSTab1, 0, 0);
    stack->addWidget(Frame1, 0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(stack, 1);
    layout->addWidget(Label0);

    connect(SSTab1, &QTabWidget::currentChanged, this, &MainWindow::onTabChanged);
    timer_ = new QTimer(this);
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &MainWindow::refreshNow);
    textGuard_ = new TextGuard(this);
    connectOrderEntry();
    messenger_->setNotice(
        [this](const QString& text) {
            Label0->setText(text);
            Label0->show();
            Label0->repaint(); // signing on blocks; let the notice be seen meanwhile
        },
        [this] { Label0->hide(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildNewOrderTab(QWidget* page) {
    editor = new OrderEditor(context_, *messenger_);
    txtFileNumb = editor->txtFileNumb;
    cboTitleCo = editor->cboTitleCo;
    cboCustomer = editor->cboCustomer;
    cboSearcher = editor->cboSearcher;
    cboType = editor->cboType;
    cboMuni = editor->cboMuni;
    cboTown = editor->cboTown;
    DTPicker1 = editor->DTPicker1;
    cmdSave = editor->cmdSave;
    Line1 = separatorLine("Line1");
    Line2 = separatorLine("Line2");
    Line3 = separatorLine("Line3");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Line1);
    layout->addWidget(editor, 1);
    layout->addWidget(Line2);
    layout->addWidget(Line3);
}

void MainWindow::buildPendingTab(QWidget* page) {
    queue = new PendingQueue(context_);
    grdOrder = queue->grdOrder;
    cmdReset = queue->cmdReset;
    queue->setTabCaption(
        [this](const QString& caption) { SSTab1->setTabText(PendingTab, caption); });
    queue->setTownList([this] {
        QStringList towns;
        for (int i = 0; i < cboTown->count(); ++i)
            towns << cboTown->itemText(i);
        return towns;
    });
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(queue);
}

void MainWindow::connectOrderEntry() {
    hooks_.clearOrderEditor = [this] { editor->Clear(); };
    connect(queue->cmdEdit, &QPushButton::clicked, this, [this] {
        if (!editor->Edit(true))
            cmdReset->setFocus();
    });
    connect(editor, &OrderEditor::editStarted, this, &MainWindow::showEditStarted);
    connect(editor, &OrderEditor::editEnded, this, &MainWindow::showEditEnded);
}

void MainWindow::showEditStarted(const QString& fileNumber) {
    SSTab1->setTabText(NewOrderTab, QStringLiteral("EDIT ORDER : ") + fileNumber);
    SSTab1->setCurrentIndex(NewOrderTab);
    SSTab1->setTabEnabled(PendingTab, false);
    SSTab1->setTabEnabled(CompletedTab, false);
}

void MainWindow::showEditEnded(bool orderDeleted) {
    SSTab1->setTabText(NewOrderTab, QStringLiteral("New Order"));
    SSTab1->setTabEnabled(PendingTab, true);
    SSTab1->setTabEnabled(CompletedTab, true);
    SSTab1->setCurrentIndex(PendingTab);
    if (!orderDeleted)
        grdOrder->setFocus();
}

void MainWindow::buildCompletedTab(QWidget* page) {
    Combo1 = pickList("Combo1");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Combo1);
    layout->addStretch(1);
}

QFrame* MainWindow::buildSettingsFrame() {
    auto* frame = named(new QFrame, "Frame1");
    frame->setFrameShape(QFrame::StyledPanel);
    markFaceColoured(frame);

    auto box = [](const char* name) { return named(new QLineEdit, name); };
    txtCoName = box("txtCoName");
    txtAddr1 = box("txtAddr1");
    txtAddr2 = box("txtAddr2");
    txtCSZip = box("txtCSZip");
    txtPhone = box("txtPhone");
    txtFax = box("txtFax");
    txtEmail = box("txtEmail");
    cboState = named(new QComboBox, "cboState");
    cboState->addItems(operatingStates());
    cboState->setCurrentIndex(-1);
    connect(cboState, &QComboBox::currentTextChanged, this, &MainWindow::FillTownList);
    for (QLineEdit* phone : {txtPhone, txtFax})
        connect(phone, &QLineEdit::textChanged, this, [phone] { formatPhoneBox(phone); });
    txtDBasePath = box("txtDBasePath");
    for (QLineEdit* field : {txtCoName, txtAddr1, txtAddr2, txtCSZip, txtPhone, txtFax, txtEmail})
        field->setMinimumWidth(220);
    txtDBasePath->setMinimumWidth(300);
    optOutlook = named(new QRadioButton(QStringLiteral("Mail program")), "optOutlook");
    optMAPI = named(new QRadioButton(QStringLiteral("SMTP")), "optMAPI");
    optMAPI->setChecked(true);
    txtSmtpHost = box("txtSmtpHost");
    txtSmtpPort = named(new QSpinBox, "txtSmtpPort");
    txtSmtpPort->setRange(1, 65535);
    cboSmtpSecurity = named(new QComboBox, "cboSmtpSecurity");
    for (SmtpSecurity security : {SmtpSecurity::None, SmtpSecurity::StartTls, SmtpSecurity::Tls})
        cboSmtpSecurity->addItem(QString::fromLatin1(smtpSecurityName(security)),
                                 static_cast<int>(security));
    txtSmtpUser = box("txtSmtpUser");
    txtSmtpPassword = box("txtSmtpPassword");
    txtSmtpPassword->setEchoMode(QLineEdit::Password);
    txtSenderAddress = box("txtSenderAddress");
    txtMailProgram = box("txtMailProgram");
    cmdSendTest = named(new QPushButton(QStringLiteral("Send Test")), "cmdSendTest");
    cmdSendTest->setToolTip(QStringLiteral(" send a test message to the business's own address "));
    connect(cmdSendTest, &QPushButton::clicked, this, &MainWindow::sendTestMessage);
    for (QLineEdit* field :
         {txtSmtpHost, txtSmtpUser, txtSmtpPassword, txtSenderAddress, txtMailProgram})
        field->setMinimumWidth(110);
    showMailTransport(MailTransport{});
    chkAuto = named(new QCheckBox(QStringLiteral("Automatic Messaging ...")), "chkAuto");
    chkAuto->setToolTip(QStringLiteral(" check this box for ON"));
    for (QWidget* w : std::initializer_list<QWidget*>{optOutlook, optMAPI, chkAuto})
        markFaceColoured(w);
    Label12 = named(faceLabel(QStringLiteral("Brightness & Zoom")), "Label12");
    Slider1 = named(new QSlider(Qt::Horizontal), "Slider1");
    Slider1->setRange(-30, 30);
    Slider1->setToolTip(QStringLiteral(" brightness "));
    Slider2 = named(new QSlider(Qt::Horizontal), "Slider2");
    Slider2->setRange(0, 60);
    Slider2->setToolTip(QStringLiteral(" zoom "));
    for (QSlider* s : {Slider1, Slider2}) {
        s->setSingleStep(1);
        s->setPageStep(1);
        markFaceColoured(s);
    }
    connect(Slider1, &QSlider::valueChanged, this, &MainWindow::applyBrightness);
    connect(Slider2, &QSlider::valueChanged, this, &MainWindow::applyZoomPosition);

    grdService = named(new QTableWidget(kServiceGridRows, 2), "grdService");
    grdService->horizontalHeader()->hide();
    grdService->verticalHeader()->hide();
    // Cells take typed characters one by one (see eventFilter), not a cell editor.
    grdService->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdService->installEventFilter(this);
    grdService->setMinimumWidth(240); // both designed columns without a scroll bar
    showServices({});
    lblCustom = named(faceLabel(QString()), "lblCustom");
    cmdDefaults = named(new QPushButton(QStringLiteral("OK")), "cmdDefaults");
    cmdDefaults->setToolTip(QStringLiteral(" save settings & return "));
    connect(cmdDefaults, &QPushButton::clicked, this, &MainWindow::acceptSettings);

    auto* business = new QGroupBox(QStringLiteral(" PROGRAM SETTINGS"));
    markFaceColoured(business);
    auto* form = compactForm(business);
    form->addRow(faceLabel(QStringLiteral("Company OR Individual Name")), txtCoName);
    form->addRow(faceLabel(QStringLiteral("Address 1")), txtAddr1);
    form->addRow(faceLabel(QStringLiteral("Address 2")), txtAddr2);
    form->addRow(faceLabel(QStringLiteral("City, State Zip")), txtCSZip);
    form->addRow(faceLabel(QStringLiteral("Phone Number")), txtPhone);
    form->addRow(faceLabel(QStringLiteral("Fax Number")), txtFax);
    form->addRow(faceLabel(QStringLiteral("E-Mail Address (optional)")), txtEmail);
    form->addRow(faceLabel(QStringLiteral("Operating in the State of ...")), cboState);
    form->addRow(faceLabel(QStringLiteral("CONFIGURATION DATABASE")));
    form->addRow(faceLabel(QStringLiteral("Database Path")), txtDBasePath);
    auto* mail = new QHBoxLayout;
    mail->addWidget(optOutlook);
    mail->addWidget(optMAPI);
    mail->addStretch(1);
    form->addRow(faceLabel(QStringLiteral("Mail")), mail);
    auto* smtp = new QGridLayout;
    const std::pair<const char*, QWidget*> cells[] = {
        {"SMTP server", txtSmtpHost},     {"port", txtSmtpPort},
        {"security", cboSmtpSecurity},    {"user", txtSmtpUser},
        {"password", txtSmtpPassword},    {"sender address", txtSenderAddress},
        {"mail program", txtMailProgram}, {"", cmdSendTest}};
    for (int i = 0; i < static_cast<int>(std::size(cells)); ++i) {
        smtp->addWidget(faceLabel(QString::fromLatin1(cells[i].first)), i / 2, (i % 2) * 2);
        smtp->addWidget(cells[i].second, i / 2, (i % 2) * 2 + 1);
    }
    form->addRow(QString(), smtp);
    form->addRow(QString(), chkAuto);
    form->addRow(Label12);
    for (QSlider* slider : {Slider1, Slider2})
        slider->setMinimumWidth(220);
    form->addRow(faceLabel(QStringLiteral("brightness")), Slider1);
    form->addRow(faceLabel(QStringLiteral("zoom")), Slider2);

    directory = new DirectoryEditor([this] { return context_.dataFolder(); }, *context_.dialogs);
    markFaceColoured(directory);
    connect(directory, &DirectoryEditor::customRatesLoad, this, &MainWindow::loadCustomRates);
    connect(directory, &DirectoryEditor::customRatesSave, this, &MainWindow::saveCustomRates);
    connect(directory, &DirectoryEditor::customCaptionCleared, lblCustom, &QLabel::clear);
    // Over the custom column the hint names the service of the row under the pointer.
    grdService->setMouseTracking(true);
    connect(grdService, &QTableWidget::cellEntered, this, [this](int row, int column) {
        const QTableWidgetItem* code = grdService->item(row, 0);
        grdService->setToolTip(column == 2 && row > 0 && code ? code->text() : QString());
    });
    auto* schedule = new QVBoxLayout;
    schedule->addWidget(grdService, 2);
    schedule->addWidget(lblCustom);
    schedule->addWidget(directory, 4);
    auto* columns = new QHBoxLayout;
    columns->addWidget(business, 3);
    columns->addLayout(schedule, 2);
    auto* layout = new QVBoxLayout(frame);
    layout->addLayout(columns, 1);
    auto* ok = new QHBoxLayout;
    ok->addStretch(1);
    ok->addWidget(cmdDefaults);
    layout->addLayout(ok);
    return frame;
}

void MainWindow::applySettings(const LoadedConfig& loaded) {
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
    // Positions come in silently; each handler runs once when its position is not 0.
    const int brightness = static_cast<int>(s.brightness);
    const int zoom = static_cast<int>(s.zoom);
    for (auto [slider, position] : {std::pair{Slider1, brightness}, std::pair{Slider2, zoom}}) {
        const QSignalBlocker quiet(slider);
        slider->setValue(position);
    }
    if (brightness != 0)
        applyBrightness(Slider1->value());
    if (zoom != 0)
        applyZoomPosition(Slider2->value());
    showMailTransport(s.mail);
    optOutlook->setChecked(s.useOutlook);
    optMAPI->setChecked(!s.useOutlook);
    chkAuto->setChecked(s.autoMessaging);
}

Settings MainWindow::settingsFromScreen() const {
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

void MainWindow::showMailTransport(const MailTransport& mail) {
    txtSmtpHost->setText(fromDisk(mail.smtpHost));
    txtSmtpPort->setValue(mail.smtpPort);
    cboSmtpSecurity->setCurrentIndex(cboSmtpSecurity->findData(static_cast<int>(mail.security)));
    txtSmtpUser->setText(fromDisk(mail.user));
    txtSmtpPassword->setText(fromDisk(mail.password));
    txtSenderAddress->setText(fromDisk(mail.senderAddress));
    txtMailProgram->setText(fromDisk(mail.mailProgram));
}

void MainWindow::loadOrderRates(const QString& customer) {
    // The first load runs with the New Order tab current, so this covers it too.
    if (SSTab1->currentIndex() == NewOrderTab)
        editor->loadOrderRates(customer);
}

void MainWindow::FillTownList(const QString& state) {
    editor->FillTownList(state);
}

void MainWindow::sendTestMessage() {
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

void MainWindow::updateCaption() {
    setWindowTitle(windowTitleFor(windowTitle(), txtCoName->text()));
}

void MainWindow::openSettings() {
    lblDefaults->hide();
    Frame1->setEnabled(true);
    Frame1->show();
    Frame1->raise();
    SSTab1->hide();
}

void MainWindow::acceptSettings() {
    const Settings s = settingsFromScreen();
    txtDBasePath->setText(fromDisk(s.dataFolder));
    const bool newFolder = s.dataFolder != context_.settings.dataFolder;
    context_.settings = s;
    if (Status saved = saveConfig(context_.programFolder, s); !saved) {
        reportUnexpectedError(saved.error());
        return;
    }
    if (Status scheduled = saveFeeSchedule(); !scheduled) {
        // A path that leads nowhere: say so and let the user correct it here.
        if (!isDataAccessError(scheduled.error())) {
            reportUnexpectedError(scheduled.error());
            return;
        }
        context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("DATA ACCESS ERROR"),
                                  dataAccessDescription(scheduled.error()));
        txtDBasePath->setFocus();
        txtDBasePath->selectAll();
        return;
    }
    if (newFolder)
        refresh_.forgetStamps();
    saveCustomRates();
    messenger_->settingsChanged();
    directory->ClearDataView();
    SSTab1->show();
    Frame1->hide();
    Frame1->setEnabled(false);
    Frame1->lower();
    refreshBlocked_ = false;
    startRefresh();
    lblDefaults->show();
    updateCaption();
}

void MainWindow::startRefresh() {
    if (!timer_->isActive())
        timer_->start();
}

void MainWindow::stopRefresh() {
    timer_->stop();
}

bool MainWindow::refreshRunning() const {
    return timer_->isActive();
}

void MainWindow::refreshNow() {
    Status s = refresh_.tick(context_.dataFolder());
    if (s)
        return;
    if (isDataAccessError(s.error()))
        reportDataAccessError(s.error());
    else
        reportUnexpectedError(s.error());
}

void MainWindow::reportDataAccessError(const Error& error) {
    stopRefresh();
    refreshBlocked_ = true;
    context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("DATA ACCESS ERROR"),
                              dataAccessDescription(error));
    openSettings();
    txtDBasePath->setFocus();
    txtDBasePath->selectAll();
}

void MainWindow::reportUnexpectedError(const Error& error) {
    stopRefresh();
    const int number = error.sysErrno != 0 ? error.sysErrno : 1000 + static_cast<int>(error.kind);
    context_.dialogs->message(
        this, QMessageBox::Critical, QStringLiteral("Quillmark"),
        QStringLiteral("Error %1: %2").arg(number).arg(fromDisk(error.describe())));
    QCoreApplication::exit(1);
}

MainWindowParts MainWindow::appearanceParts() {
    return {this, Label12, Label0, grdService, grdOrder};
}

void MainWindow::prepareScreen() {
    const double dpi = screenMetricsFor(this).logicalDpi;
    resize(twipsToPixels(kMainWindowBaseSize.width, dpi),
           twipsToPixels(kMainWindowBaseSize.height, dpi));
    applyStartupColumnWidths(appearanceParts(), dpi);
}

void MainWindow::applyBrightness(int position) {
    context_.faceColour = faceColourFor(position);
    applyColours(this, context_.faceColour);
}

void MainWindow::applyZoomPosition(int position) {
    context_.zoomFactor = zoomFactorFor(position);
    const ScreenMetrics screen = screenMetricsFor(this);
    applyZoom(appearanceParts(), position, screen.workArea, screen.logicalDpi);
}

void MainWindow::restoreFromAnotherCopy() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::onTabChanged(int index) {
    const int previous = currentTab_;
    currentTab_ = index;
    const bool newOrder = index == NewOrderTab;
    for (QFrame* line : {Line1, Line2, Line3})
        line->setVisible(newOrder);
    if (newOrder) {
        txtFileNumb->setFocus();
        return;
    }
    if (previous == NewOrderTab && !txtFileNumb->text().isEmpty() && !cmdSave->isEnabled() &&
        hooks_.clearOrderEditor)
        hooks_.clearOrderEditor();
    if (index == PendingTab) {
        if (context_.selectedFileNumber.isEmpty())
            cmdReset->setFocus();
        else
            grdOrder->setFocus();
    } else {
        Combo1->setFocus();
    }
}

void MainWindow::activated() {
    if (refreshBlocked_ || refreshRunning())
        return;
    // A mail outage must not keep the business from its orders: the timer starts regardless.
    messenger_->signOn(this);
    startRefresh();
}

bool MainWindow::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        activated();
    return QWidget::event(e);
}

void MainWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // A display without a window manager never activates the window; showing it counts.
    if (!e->spontaneous())
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                activated();
        });
}

bool MainWindow::mayCloseWithPulledOrder() {
    if (!editor->holdsUnsavedPull())
        return true;
    const auto answer = context_.dialogs->ask(
        this, QMessageBox::Warning,
        QStringLiteral(" CLOSE PROGRAM - ") + editor->pulledFileNumber(),
        QStringLiteral("Closing the program without first clicking Save or Assign\n"
                       "keeps this order out of the queue until the next start. \"OK\" to close"),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    return answer == QMessageBox::Ok;
}

void MainWindow::closeEvent(QCloseEvent* e) {
    if (!mayCloseWithPulledOrder()) {
        e->ignore();
        cmdSave->setFocus();
        return;
    }
    stopRefresh();
    messenger_->signOff();
    e->accept();
}

bool MainWindow::typeIntoServiceGrid(QKeyEvent* key) {
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

void MainWindow::loadCustomRates(const QString& name) {
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

void MainWindow::saveCustomRates() {
    const QString name = directory->customRateName().trimmed();
    if (grdService->columnCount() == 3 && !directory->removalMarked() && !name.isEmpty()) {
        std::vector<std::pair<QString, QString>> rows;
        for (int row = 1; row < grdService->rowCount(); ++row) {
            const QTableWidgetItem* code = grdService->item(row, 0);
            const QTableWidgetItem* fee = grdService->item(row, 2);
            rows.emplace_back(code ? code->text() : QString(), fee ? fee->text() : QString());
        }
        if (Status saved =
                writeCustomRates(context_.dataFolder(), toDisk(name), customRatesFromRows(rows));
            !saved)
            context_.dialogs->message(this, QMessageBox::Critical, QStringLiteral("Quillmark"),
                                      fromDisk(saved.error().describe()));
    }
    grdService->setColumnCount(2);
    grdService->scrollToTop();
    directory->clearRemovalMark();
    lblCustom->clear();
}

Status MainWindow::saveFeeSchedule() {
    // A grid that never received the schedule (the first load failed) would store an empty one.
    if (!serviceGridHoldsSchedule_)
        return okStatus();
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 1; row < grdService->rowCount(); ++row) {
        const QTableWidgetItem* code = grdService->item(row, 0);
        const QTableWidgetItem* fee = grdService->item(row, 1);
        rows.emplace_back(code ? code->text() : QString(), fee ? fee->text() : QString());
    }
    auto lock = DataLock::acquire(context_.dataFolder());
    if (!lock)
        return lock.error();
    return writeFeeSchedule(*lock, feeScheduleFromRows(rows));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == grdService && e->type() == QEvent::KeyPress)
        return typeIntoServiceGrid(static_cast<QKeyEvent*>(e));
    if (watched == lblDefaults && e->type() == QEvent::MouseButtonDblClick) {
        openSettings();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

// RefreshView

void MainWindow::showClockLine(const QString& text) {
    lblNow->setText(text);
}

QString MainWindow::rememberedTitleCompany() const {
    return editor->rememberedTitleCompany();
}

QString MainWindow::rememberedSearcher() const {
    return editor->rememberedSearcher();
}

void MainWindow::fillTitleCompanies(const QStringList& items, int selected) {
    editor->fillTitleCompanies(items, selected);
}

void MainWindow::fillAttorneys(const QStringList& items) {
    editor->fillAttorneys(items);
}

void MainWindow::fillSearchers(const QStringList& items, int selected) {
    editor->fillSearchers(items, selected);
}

void MainWindow::fillServiceGrid(const std::vector<ServiceEntry>& services) {
    serviceGridHoldsSchedule_ = true;
    showServices(services);
}

void MainWindow::showServices(const std::vector<ServiceEntry>& services) {
    grdService->clearContents();
    const QString headings[] = {QStringLiteral("Service Code"), QStringLiteral("Fee")};
    for (int column = 0; column < 2; ++column) {
        setGridHeading(grdService, column, headings[column]);
    }
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

Status MainWindow::rebuildPendingQueue() {
    if (hooks_.rebuildPendingQueue)
        return hooks_.rebuildPendingQueue();
    return queue->RebuildQueue();
}

Status MainWindow::rebuildCompletedList() {
    return hooks_.rebuildCompletedList ? hooks_.rebuildCompletedList() : okStatus();
}

Status MainWindow::runDailyEvents(int tickClock) {
    return hooks_.runDailyEvents ? hooks_.runDailyEvents(tickClock) : okStatus();
}

void MainWindow::dayChanged(const QDate& today) {
    editor->dayChanged(today);
}

} // namespace qm
