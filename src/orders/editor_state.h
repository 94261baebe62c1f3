#pragma once
// What the order editor remembers beside its visible fields.

#include "money.h"

#include <QString>
#include <optional>
#include <string>

namespace qm {

struct EditorState {
    QString notesCache;       // NotesLog of the pulled order
    QString messagesCache;    // MessagesLog of the pulled order
    QString enteredAt;        // EnteredAt of the pulled order, as text
    QString notifiedSearcher; // the searcher already notified, without "*"
    // Fees of the pulled order, used instead of the list's.
    std::optional<Money> typeFeeOverride, muniFeeOverride;
    QString titleCompanyChoice; // the last chosen items, for the refresh to restore
    QString searcherChoice;
    QString recText;               // the directory row the attorney fields came from
    QString pulledFileNumber;      // the order pulled for editing
    std::string reservedNumber;    // its number as stored, reserved until saved or deleted
    std::string recoveryCopy;      // the path of its recovery copy
    bool splitLocked = false;      // a split order is being composed
    bool duplicateRefused = false; // the last save met a number in use ("DUP")
    enum class Pull { None, Loading, Editing } pull = Pull::None;
    bool savedSincePull = false;
    bool attorneyListUpdating = false; // the refresh refills the law firm list
};

} // namespace qm
