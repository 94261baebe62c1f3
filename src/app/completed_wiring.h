#pragma once
// The Completed tab in the window: rebuilt by the tick when Completed.fil changed, its count in
// the tab's caption, its file errors reported by the window, "Generate Invoice" and "Browse
// Archives".

#include "result.h"

#include <functional>

namespace qm {

class CompletedPage;
class MainWindow;

void wireCompletedList(MainWindow& window, CompletedPage& page,
                       std::function<void(const Error&)> unexpectedError);

} // namespace qm
