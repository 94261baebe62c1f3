#pragma once
// Where the settings panel's controls sit: three columns that fit the designed window, the
// business and mail settings, the fee schedule at full height, and the directory editor.

class QWidget;

namespace qm {

class SettingsPanel;

// Each takes the panel's controls, already made, and returns the column holding them.
QWidget* settingsBusinessBox(SettingsPanel& panel);
QWidget* settingsScheduleColumn(SettingsPanel& panel);
QWidget* settingsDirectoryColumn(SettingsPanel& panel);
void layOutSettingsPanel(SettingsPanel& panel, QWidget* business, QWidget* schedule,
                         QWidget* directory);

} // namespace qm
