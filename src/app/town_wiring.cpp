#include "town_wiring.h"

#include "order_editor.h"
#include "pending_queue.h"
#include "settings_panel.h"

#include <QComboBox>

namespace qm {

void wireTownLists(SettingsPanel& settings, OrderEditor& editor, PendingQueue& queue) {
    QObject::connect(settings.cboState, &QComboBox::currentTextChanged, &editor,
                     &OrderEditor::FillTownList);
    QComboBox* towns = editor.cboTown;
    queue.setTownList([towns] {
        QStringList items;
        for (int i = 0; i < towns->count(); ++i)
            items << towns->itemText(i);
        return items;
    });
}

} // namespace qm
