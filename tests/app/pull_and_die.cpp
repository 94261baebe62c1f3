// Test peer: pulls one order into a real order editor, then dies the way a power cut would,
// leaving only what reached the disk. Arguments: program folder, data folder, file number.

#include "app_context.h"
#include "clock.h"
#include "dialogs.h"
#include "messenger.h"
#include "order_editor.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qm::SystemClock clock;
    qm::ScriptedDialogs dialogs;
    qm::AppContext context;
    context.programFolder = argv[1];
    context.settings.dataFolder = argv[2];
    context.clock = &clock;
    context.dialogs = &dialogs;
    context.selectedFileNumber = QString::fromLocal8Bit(argv[3]);
    qm::Messenger messenger(context.settings, dialogs);
    qm::OrderEditor editor(context, messenger);
    if (!editor.Edit(false))
        return 3;
    std::raise(SIGKILL);
    return 4;
}
