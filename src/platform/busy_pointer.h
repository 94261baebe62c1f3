#pragma once
// The wait cursor for the length of a long step; released early before a message box, which
// is not busy.

#include <QApplication>

namespace qm {

class BusyPointer {
  public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
    ~BusyPointer() { release(); }
    void release() {
        if (held_)
            QApplication::restoreOverrideCursor();
        held_ = false;
    }

  private:
    bool held_ = true;
};

} // namespace qm
