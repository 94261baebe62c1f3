#pragma once
// NOTES, MESSAGE and "Email List" of the pending queue open the message dialog with the
// selection (or the work list) taken at the click, and hold the command guard until it closes.

namespace qm {

class MainWindow;

void wireMessageDialog(MainWindow& window);

} // namespace qm
