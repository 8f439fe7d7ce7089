// The three windows of the program as the rest of it opens them. Each is one program-wide
// instance, created when first needed.
#pragma once

namespace tolvare {

// The registration list: modeless (start-up) or modal to the active window (selection window).
void ShowFormList(bool modal);
// The registration editor: always modal and topmost; returns when it is closed.
void ShowFormRegist();
// The application selection window: modeless; unloading it ends the program.
void ShowFormSelect();

}  // namespace tolvare
