#pragma once
// The utility's one small window: its caption and the label with the current step.

#include "upgrade.h"

#include <QLabel>
#include <QWidget>

namespace upm {

class UpgradeWindow final : public QWidget, public UpgradeUi {
  public:
    UpgradeWindow();

    void showWindow() override;
    void showStep(const std::string& text) override;
    void idle() override;
    void message(const Message& message) override;

  protected:
    // The upgrade cannot be stopped halfway by closing the window.
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* lblStep;
};

} // namespace upm
