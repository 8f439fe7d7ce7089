// Start-up: the program's entry procedure, and what it and the selection window do with the
// registration they launch.
#pragma once

#include <cstdint>
#include <string>

#include "core/globals.h"

namespace tolvare {

// How often start-up looks for a just-registered extension before it gives up.
inline constexpr int kRegisteredLookups = 5;

void Main();
// Loads every registration and shows the registration list, none selected.
void OpenList(bool modal);
// What both launchers do with the chosen row: start its program with the file, and when that
// fails ask whether to check the settings, opening the list on Yes (a start the user declined at
// the consent prompt asks nothing).
void LaunchMarkRow(int row, const std::wstring& file, bool listModal);
// Pauses while the program's windows keep processing their events.
void WaitMsec(int32_t milliseconds);

}  // namespace tolvare
