#include "drop_down_list.h"

namespace qm {

void DropDownList::showPopup() {
    emit droppedDown();
    QComboBox::showPopup();
}

} // namespace qm
