#pragma once
// "Browse Archives" opens the archives browser with the window's zoom and colour. The browser
// only reads, so it takes no command guard and leaves the queue's selection alone.

namespace qm {

class MainWindow;

void wireArchiveBrowser(MainWindow& window);

} // namespace qm
