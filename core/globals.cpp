// The program-wide state: see globals.h.
#include "core/globals.h"

namespace tolvare {

MarkTable markTable;
int16_t markCount = 0;
std::wstring profilePath;
int16_t selectedMark = 0;
int16_t editorCaller = 0;
int16_t selectCount = 0;
std::wstring selectFile;

}  // namespace tolvare
