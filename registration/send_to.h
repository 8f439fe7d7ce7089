// The list window's Send To item: whether the user's Send To folder holds a shortcut to this exe,
// and making and removing it. The shell link API (ole32, shell32) is loaded here, when the item is used.
#pragma once

#include <string>

#include "core/system.h"

namespace tolvare {

// Whether a shortcut whose target is this exe lies in the Send To folder. Anything that cannot be
// read counts as no shortcut: registering then reports what is wrong.
bool InSendTo();
// Makes "TOLVARE.lnk" to this exe (or "TOLVARE (2).lnk" and so on when the name belongs to
// another shortcut, which is never overwritten), with the description "TOLVARE".
bool AddToSendTo(SysError& err);
// Deletes every shortcut in the Send To folder whose target is this exe, and nothing else.
bool RemoveFromSendTo(SysError& err);

// Makes the three above work in `folder` instead of the user's Send To folder; an empty folder
// restores the user's own. Tests use it so that they never touch the real folder.
void SetSendToFolder(std::wstring folder);

}  // namespace tolvare
