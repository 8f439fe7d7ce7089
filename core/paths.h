// Short and long forms of paths, and the start of a registered program (launch.cpp).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvare {

std::wstring GetShortPath(const std::wstring& path);
// "C:\..." or "\\server\share\...": a path that means the same whatever the current folder is.
bool IsFullPath(std::wstring_view path);
// The long names of a path written with short names ("~"); built from the listed names only, so
// it starts with "\" and has no drive. A path without "~" comes back unchanged.
std::wstring GetLongPath(const std::wstring& path);
// The file a registered program starts, found as its start finds it (never in the current
// folder); nothing when there is none.
std::optional<std::wstring> ProgramFile(const std::wstring& program);
// Starts the registered program with the file; shows the reason when that fails. Returns the
// process id or 0; `declined` tells a start the user refused at the system's consent prompt, which
// needs no word.
uint32_t RunProgram(const std::wstring& program, const std::wstring& file, bool* declined = nullptr);

}  // namespace tolvare
