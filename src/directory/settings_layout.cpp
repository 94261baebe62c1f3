#include "settings_layout.h"

#include "directory_editor.h"
#include "face_colour.h"
#include "settings_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

QLabel* faceLabel(const QString& text) {
    auto* label = new QLabel(text);
    markFaceColoured(label);
    return label;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets) {
    auto* line = new QHBoxLayout;
    for (QWidget* w : widgets)
        line->addWidget(w);
    line->addStretch(1);
    return line;
}

// A column that takes the panel's face and no margins of its own.
QWidget* column(QLayout* layout) {
    auto* holder = new QWidget;
    markFaceColoured(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    holder->setLayout(layout);
    return holder;
}

} // namespace

QWidget* settingsBusinessBox(SettingsPanel& p) {
    auto* box = new QGroupBox(QStringLiteral(" PROGRAM SETTINGS"));
    markFaceColoured(box);
    for (QWidget* w : std::initializer_list<QWidget*>{p.optOutlook, p.optMAPI, p.chkAuto, p.Label12,
                                                      p.Slider1, p.Slider2})
        markFaceColoured(w);
    auto* form = new QFormLayout(box);
    // Every box takes the column's width, so long paths and addresses stay readable.
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setVerticalSpacing(4);
    form->addRow(faceLabel(QStringLiteral("Company OR Individual Name")), p.txtCoName);
    form->addRow(faceLabel(QStringLiteral("Address 1")), p.txtAddr1);
    form->addRow(faceLabel(QStringLiteral("Address 2")), p.txtAddr2);
    form->addRow(faceLabel(QStringLiteral("City, State Zip")), p.txtCSZip);
    form->addRow(faceLabel(QStringLiteral("Phone Number")), p.txtPhone);
    form->addRow(faceLabel(QStringLiteral("Fax Number")), p.txtFax);
    form->addRow(faceLabel(QStringLiteral("E-Mail Address (optional)")), p.txtEmail);
    form->addRow(faceLabel(QStringLiteral("Operating in the State of ...")), p.cboState);
    form->addRow(faceLabel(QStringLiteral("CONFIGURATION DATABASE")));
    form->addRow(faceLabel(QStringLiteral("Database Path")), p.txtDBasePath);
    form->addRow(faceLabel(QStringLiteral("Mail")), row({p.optOutlook, p.optMAPI}));
    form->addRow(QString(), p.chkAuto);
    form->addRow(faceLabel(QStringLiteral("SMTP server")), p.txtSmtpHost);
    form->addRow(faceLabel(QStringLiteral("port, security")),
                 row({p.txtSmtpPort, p.cboSmtpSecurity}));
    form->addRow(faceLabel(QStringLiteral("user")), p.txtSmtpUser);
    form->addRow(faceLabel(QStringLiteral("password")), p.txtSmtpPassword);
    form->addRow(faceLabel(QStringLiteral("sender address")), p.txtSenderAddress);
    form->addRow(faceLabel(QStringLiteral("mail program")), p.txtMailProgram);
    form->addRow(QString(), row({p.cmdSendTest}));
    form->addRow(p.Label12);
    form->addRow(faceLabel(QStringLiteral("brightness")), p.Slider1);
    form->addRow(faceLabel(QStringLiteral("zoom")), p.Slider2);
    return box;
}

QWidget* settingsScheduleColumn(SettingsPanel& p) {
    markFaceColoured(p.lblCustom);
    // Both designed columns and the custom one without a scroll bar across.
    p.grdService->setMinimumWidth(250);
    p.grdService->verticalHeader()->setMinimumSectionSize(18);
    auto* layout = new QVBoxLayout;
    layout->addWidget(p.lblCustom);
    layout->addWidget(p.grdService, 1);
    return column(layout);
}

QWidget* settingsDirectoryColumn(SettingsPanel& p) {
    DirectoryEditor* d = p.directory;
    markFaceColoured(d);
    // The carrier list stands in for box 7 at the same height, so nothing moves when it opens.
    int height = d->cboCarrier->sizeHint().height();
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        height = std::max(height, d->Text[n]->sizeHint().height());
    for (int n = 1; n <= int(kDirectoryFieldCount); ++n)
        d->Text[n]->setFixedHeight(height);
    d->cboCarrier->setFixedHeight(height);
    d->List1->setMinimumHeight(4 * height);
    // The hidden list still counts in box 7's cell, or the grid drops the gap above that row
    // and boxes 6 and 7 touch.
    QSizePolicy carrier = d->cboCarrier->sizePolicy();
    carrier.setRetainSizeWhenHidden(true);
    d->cboCarrier->setSizePolicy(carrier);
    auto* layout = new QVBoxLayout;
    layout->addWidget(d, 1);
    auto* ok = new QHBoxLayout;
    ok->addStretch(1);
    ok->addWidget(p.cmdDefaults);
    layout->addLayout(ok);
    return column(layout);
}

void layOutSettingsPanel(SettingsPanel& p, QWidget* business, QWidget* schedule,
                         QWidget* directory) {
    markFaceColoured(&p);
    auto* layout = new QHBoxLayout(&p);
    layout->addWidget(business, 4);
    layout->addWidget(schedule, 3);
    layout->addWidget(directory, 3);
}

} // namespace qm
