#pragma once
// EDIT on the pending queue pulls the selected order into the order editor. While the order is
// there the New Order tab names it and the other tabs are closed; saving or deleting it gives
// them back with the queue in front.

namespace qm {

class MainWindow;

void wireEditCommand(MainWindow& window);

} // namespace qm
