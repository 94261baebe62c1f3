#include "fee_editor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qm {

namespace {

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

FeeEditor::FeeEditor(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Frame5"));
    setFrameShape(QFrame::StyledPanel);
    lblOrderID = named(new QLabel, "lblOrderID");
    QFont bold = lblOrderID->font();
    bold.setBold(true);
    lblOrderID->setFont(bold);
    Text1 = named(new QLineEdit, "Text1");
    Text2 = named(new QLineEdit, "Text2");
    Text3 = named(new QLineEdit, "Text3");
    Command1 = named(new QPushButton(QStringLiteral("CANCEL")), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("RELPACE")), "Command2");

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblOrderID, 0, 0, 1, 3);
    const char* captions[] = {"Base", "Muni", "Copies"};
    for (int i = 0; i < 3; ++i) {
        QLineEdit* edit = box(static_cast<size_t>(i));
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(90);
        layout->addWidget(new QLabel(QString::fromLatin1(captions[i])), 1, i);
        layout->addWidget(edit, 2, i);
    }
    auto* commands = new QHBoxLayout;
    commands->addWidget(Command1);
    commands->addWidget(Command2);
    layout->addLayout(commands, 3, 0, 1, 3);
    clear();
}

void FeeEditor::clear() {
    hide();
    lblOrderID->clear();
    for (size_t i = 0; i < 3; ++i)
        box(i)->clear();
}

} // namespace qm
