#pragma once
// The "Completed" tab page: the billing selector, over the completed list to come.

#include <QWidget>

class QComboBox;

namespace qm {

struct AppContext;

class CompletedPage final : public QWidget {
    Q_OBJECT
  public:
    explicit CompletedPage(AppContext& context, QWidget* parent = nullptr);

    QComboBox* Combo1 = nullptr;
};

} // namespace qm
