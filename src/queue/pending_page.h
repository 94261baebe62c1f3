#pragma once
// The " Pending Searches" tab page: the pending queue filling it.

#include <QWidget>

namespace qm {

class PendingQueue;
struct AppContext;

class PendingPage final : public QWidget {
    Q_OBJECT
  public:
    explicit PendingPage(AppContext& context, QWidget* parent = nullptr);

    PendingQueue* queue = nullptr;
};

} // namespace qm
