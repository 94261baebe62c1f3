#pragma once
// Frame5, the fee editor of the completed list: the order's file number, its base, municipal and
// copy amounts, CANCEL and the replace command. What the commands do is the page's.

#include <QFrame>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class FeeEditor final : public QFrame {
    Q_OBJECT
  public:
    explicit FeeEditor(QWidget* parent = nullptr);

    QLineEdit* box(size_t i) const { return i == 0 ? Text1 : i == 1 ? Text2 : Text3; }
    // Hidden, with the boxes and the number empty.
    void clear();

    QLabel* lblOrderID = nullptr;
    QLineEdit* Text1 = nullptr;      // base
    QLineEdit* Text2 = nullptr;      // municipal
    QLineEdit* Text3 = nullptr;      // copies
    QPushButton* Command1 = nullptr; // CANCEL
    QPushButton* Command2 = nullptr; // the replace command
};

} // namespace qm
