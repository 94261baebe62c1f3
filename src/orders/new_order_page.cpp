#include "new_order_page.h"

#include "order_editor.h"

#include <QFrame>
#include <QVBoxLayout>

namespace qm {

namespace {

QFrame* separatorLine(const char* name) {
    auto* line = new QFrame;
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

NewOrderPage::NewOrderPage(AppContext& context, Messenger& messenger, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("tabNewOrder"));
    editor = new OrderEditor(context, messenger);
    Line1 = separatorLine("Line1");
    Line2 = separatorLine("Line2");
    Line3 = separatorLine("Line3");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Line1);
    layout->addWidget(editor, 1);
    layout->addWidget(Line2);
    layout->addWidget(Line3);
}

void NewOrderPage::showSeparators(bool shown) {
    for (QFrame* line : {Line1, Line2, Line3})
        line->setVisible(shown);
}

} // namespace qm
