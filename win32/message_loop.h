// The program's one message pump, which the application's loop, a modal window's loop and the
// wait of start-up all call.
#pragma once

#include <windows.h>

namespace tolvare {

enum class Pumped { kMessage, kEmpty, kQuit };

// Takes this thread's next message (waiting for one when `wait`), lets the dialog keys of
// TOLVARE's windows have it, and dispatches it. A WM_QUIT is taken and reported with its code;
// kEmpty means nothing was waiting (or the queue could not be read).
Pumped PumpMessage(bool wait, int& quitCode);

}  // namespace tolvare
