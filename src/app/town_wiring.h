#pragma once
// The operating state chosen on the settings panel fills the order editor's town list, and the
// pending queue's work lists follow that list's order.

namespace qm {

class OrderEditor;
class PendingQueue;
class SettingsPanel;

void wireTownLists(SettingsPanel& settings, OrderEditor& editor, PendingQueue& queue);

} // namespace qm
