#pragma once
// "SPLIT ORDER" of the pending queue's pop-up menu starts a second order from the selected one in
// the order editor, with the New Order tab in front as EDIT has it.

namespace qm {

class MainWindow;

void wireSplitCommand(MainWindow& window);

} // namespace qm
