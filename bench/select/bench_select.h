// What the selection-window benchmark's driver and its floor program agree on.
#pragma once

namespace tolvare::bench {

inline constexpr wchar_t kMinimalCaption[] = L"TOLVARE bench minimal window";

}  // namespace tolvare::bench
