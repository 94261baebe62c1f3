#pragma once
// The towns the order editor offers for the property, by operating state.

#include <QString>
#include <QStringList>

namespace qm {

// Town names joined by "; ", as the program carries them.
extern const char* const kConnecticutTowns;
extern const char* const kMassachusettsTowns;

inline const QString kSelectTownPlaceholder = QStringLiteral("< select town >");

// The operating states in the order the settings screen lists them.
QStringList operatingStates();

// The towns of a state in the order carried, upper case: Connecticut's for "Connecticut" and for
// an empty state (a fresh config.txt), Massachusetts' for "Massachusetts", none for any other.
QStringList townsOfState(const QString& state);

// What FillTownList puts into cboTown: "< select town >" first, then the names in ascending
// order without regard to case. An unknown state leaves one empty name behind the placeholder.
// The entry to select is always the first.
QStringList townPickList(const QString& state);

} // namespace qm
