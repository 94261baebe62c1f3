#pragma once
// A pulled order that a crash, a power cut or a closed window kept from being saved back: its
// recovery copy is offered back to the pending queue at the next start.

#include "result.h"

class QWidget;

namespace qm {

struct AppContext;

inline constexpr const char* kRecoverTitle = " RECOVER ORDER";

// Asks whether to put the recovered order back into Pending.fil or discard it. A number taken
// meanwhile refuses the put-back and keeps the copy for the next start. Storage failures are
// returned.
Status offerRecoveredOrder(AppContext& context, QWidget* parent);

} // namespace qm
