#pragma once
// The "New Order" tab page: the order editor between its separator lines.

#include <QWidget>

class QFrame;

namespace qm {

class Messenger;
class OrderEditor;
struct AppContext;

class NewOrderPage final : public QWidget {
    Q_OBJECT
  public:
    NewOrderPage(AppContext& context, Messenger& messenger, QWidget* parent = nullptr);

    // The separator lines show only while this is the current tab.
    void showSeparators(bool shown);

    OrderEditor* editor = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QFrame* Line3 = nullptr;
};

} // namespace qm
