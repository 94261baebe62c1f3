#include "archive_wiring.h"

#include "appearance_apply.h"
#include "archive_browser.h"
#include "main_window.h"
#include "pending_queue.h"

#include <QPushButton>

namespace qm {

void wireArchiveBrowser(MainWindow& window) {
    wireArchiveButton(window, window.queue().cmdArchives);
}

void wireArchiveButton(MainWindow& window, QPushButton* button) {
    AppContext* context = &window.context();
    QWidget* owner = &window;
    QObject::connect(button, &QPushButton::clicked, owner, [context, owner] {
        ArchiveBrowser browser(*context, owner, [context](QWidget* w) {
            openSecondaryWindow(w, context->zoomFactor, context->faceColour);
        });
        browser.exec();
    });
}

} // namespace qm
