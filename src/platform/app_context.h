#pragma once
// Values shared by the screens of the main window, owned by it and handed to each screen.

#include "command_guard.h"
#include "config.h"

#include <QColor>
#include <QString>
#include <string>

namespace qm {

class Clock;
class Dialogs;
class PrinterService;
class ProgramLauncher;

struct AppContext {
    std::string programFolder; // ends with "/"
    Settings settings;         // as loaded, then as last saved
    QString selectedFileNumber;
    QColor faceColour;
    double zoomFactor = 1.0;
    const Clock* clock = nullptr;
    Dialogs* dialogs = nullptr;
    ProgramLauncher* launcher = nullptr;
    PrinterService* printer = nullptr;
    // Held by every command that changes data, from its click until it returns.
    CommandGuard commandGuard;

    const std::string& dataFolder() const { return settings.dataFolder; }
};

} // namespace qm
