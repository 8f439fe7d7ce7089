// Start-up: the program's entry procedure and the globals through which windows learn why they
// were opened.
#pragma once

#include <cstdint>
#include <string>

namespace tolvare {

extern std::wstring profilePath;  // tolvare.ini beside the executable
extern int16_t selectedMark;      // row chosen in the list or being changed; 0 = none (add)
extern int16_t editorCaller;      // who opened the editor
extern int16_t selectCount;       // buttons of the selection window
extern std::wstring selectFile;   // the file the selection window opens

inline constexpr int16_t kCallerList = 1;
inline constexpr int16_t kCallerStartup = 2;

// How often start-up looks for a just-registered extension before it gives up.
inline constexpr int kRegisteredLookups = 5;

void Main();
// Loads every registration and shows the registration list, none selected.
void OpenList(bool modal);
// Pauses while the program's windows keep processing their events.
void WaitMsec(int32_t milliseconds);

}  // namespace tolvare
