#pragma once
// The start-up sequence: the entry stage before any window, then the main-window stage.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

namespace qm {

class Dialogs;
class MainWindow;
class ProgramLauncher;
class SingleInstance;
class Clock;
struct AppContext;

struct StartupEnvironment {
    QString programFolder; // ends with "/"
    QString programFile;   // the program's own file, for the version check
    QUrl vendorUrl;        // empty: no version check
    Dialogs* dialogs = nullptr;
    ProgramLauncher* launcher = nullptr;
};

inline const QString kProgramTitle = QStringLiteral("Quillmark");
inline const QString kUpgradeUtility = QStringLiteral("upmender");
inline const QString kUpgradeArgument = QStringLiteral("/Quillmark:quillmark");
inline const QString kPatchFile = QStringLiteral("PATCH.EXE");

// The program folder may be changed: a probe file is created, renamed and removed. On failure
// returns the reason.
bool probeWritableFolder(const QString& folder, QString* failure);

enum class EntryOutcome { Continue, End };

// True while the upgrade utility works in the program folder.
bool upgradeInProgress(const QString& programFolder);

// The privilege probe, an upgrade at work, and the command line (arguments without the
// program name).
EntryOutcome runEntryStage(const StartupEnvironment& env, const QStringList& arguments);

// Starts the upgrade utility; a failure is shown in an OK box.
void startUpgradeUtility(const StartupEnvironment& env);

// A patch left waiting is run, waited for and deleted; true when the program must end.
bool finishWaitingPatch(const StartupEnvironment& env);

// Offers an upgrade when the vendor has a newer release; true when the program must end.
bool offerUpgrade(const StartupEnvironment& env);

// Loads config.txt into the window and prepares the data folder; false when the program must
// end (the reason has been shown).
bool prepareMainWindow(const StartupEnvironment& env, AppContext& context, MainWindow& window);

} // namespace qm
