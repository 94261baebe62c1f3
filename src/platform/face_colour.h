#pragma once
// Controls designed with the button-face colour carry a mark, so the brightness setting can
// give them the face colour whichever screen built them.

class QWidget;

namespace qm {

void markFaceColoured(QWidget* control);
bool isFaceColoured(const QWidget* control);

} // namespace qm
