// What the registration editor decides about its three boxes, kept apart from the window so the
// checks and the stored values are tested without one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/profile.h"

namespace tolvare {

enum class RegistField { kMark, kProgram, kName };

// The first check that refused the input: its step (1..8), its message and the box it concerns.
struct RegistFailure {
    int step;
    std::wstring message;
    RegistField field;
};

// The editor's checks in their fixed order, on the texts as typed. `selectedMark` is the row
// being changed (0 when adding), which never counts against its own extension.
std::optional<RegistFailure> CheckRegist(const std::wstring& mark, const std::wstring& program,
                                         const std::wstring& name, const MarkTable& table, int16_t count,
                                         int16_t selectedMark);

// The description used when the user leaves it empty: the program's file name (inside its quotes
// when it is quoted), at most 20 characters and 20 bytes, cut on whole characters.
std::wstring DefaultDescription(const std::wstring& program);

// The row as the editor stores it: trimmed, commas made full-width, the extension upper case, and
// a program quoted with nothing after it unquoted.
MarkRecord StoredRow(const std::wstring& mark, const std::wstring& program, const std::wstring& name);

}  // namespace tolvare
