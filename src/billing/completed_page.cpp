#include "completed_page.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace qm {

CompletedPage::CompletedPage(AppContext&, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tabCompleted"));
    Combo1 = new QComboBox;
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setMinimumContentsLength(24);
    Combo1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Combo1);
    layout->addStretch(1);
}

} // namespace qm
