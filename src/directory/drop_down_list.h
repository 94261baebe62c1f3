#pragma once
// A pick list that says when its drop-down opens: filter lists change colour then, and the
// service lists fill themselves when still empty.

#include <QComboBox>

namespace qm {

class DropDownList final : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
  signals:
    void droppedDown();
};

} // namespace qm
