#pragma once
// "Browse Archives" opens the archives browser with the window's zoom and colour. The browser
// only reads, so it takes no command guard and leaves the queue's selection alone.

class QPushButton;

namespace qm {

class MainWindow;

void wireArchiveBrowser(MainWindow& window);
// The same for another tab's "Browse Archives".
void wireArchiveButton(MainWindow& window, QPushButton* button);

} // namespace qm
