#pragma once
// Pulled orders that a crash, a power cut or a closed window kept from being saved back: each
// recovery copy is offered back to the pending queue at the next start.

#include "result.h"

class QWidget;

namespace qm {

struct AppContext;

inline constexpr const char* kRecoverTitle = " RECOVER ORDER";

// Asks for each copy whether to put the order back into Pending.fil, discard it, or keep it for
// the next start. A number taken meanwhile offers the next generated number instead. Storage
// failures are returned (the first of them; the other copies are offered all the same).
Status offerRecoveredOrder(AppContext& context, QWidget* parent);

} // namespace qm
