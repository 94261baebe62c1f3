#include "face_colour.h"

#include <QVariant>
#include <QWidget>

namespace qm {

namespace {
constexpr char kFaceColouredProperty[] = "qmFaceColoured";
}

void markFaceColoured(QWidget* control) {
    if (control)
        control->setProperty(kFaceColouredProperty, true);
}

bool isFaceColoured(const QWidget* control) {
    return control && control->property(kFaceColouredProperty).toBool();
}

} // namespace qm
