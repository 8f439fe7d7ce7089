// The registration editor's checks and stored values: see regist_check.h.
#include "registration/regist_check.h"

#include "core/text.h"
#include "core/texts.h"

namespace tolvare {

namespace {

constexpr int32_t kMarkMaxBytes = 10;
constexpr int32_t kProgramMaxBytes = 200;
constexpr int32_t kNameMaxBytes = 20;
constexpr int kDefaultNameChars = 20;

// Characters that would break the profile file's "KEY=MARK,..." lines, in the order reported,
// then the dot: an extension looked up never holds one, so such a registration could never match.
constexpr wchar_t kRefusedInMark[] = L"=,[]\";.";

}  // namespace

std::optional<RegistFailure> CheckRegist(const std::wstring& mark, const std::wstring& program,
                                         const std::wstring& name, const MarkTable& table, int16_t count,
                                         int16_t selectedMark) {
    using F = RegistField;
    // A box of blanks only would store an empty field: it counts as empty.
    if (Trim(mark).empty()) return RegistFailure{1, text::kMarkEmpty, F::kMark};
    for (const wchar_t* c = kRefusedInMark; *c != L'\0'; ++c) {
        if (mark.find(*c) != std::wstring::npos) {
            return RegistFailure{2, std::wstring(text::kMarkBadCharBefore) + *c + text::kMarkBadCharAfter,
                                 F::kMark};
        }
    }
    if (Trim(program).empty()) return RegistFailure{3, text::kProgramEmpty, F::kProgram};
    if (GetByteLen(ReplaceComma(mark)) > kMarkMaxBytes) return RegistFailure{4, text::kMarkTooLong, F::kMark};
    if (GetByteLen(ReplaceComma(program)) > kProgramMaxBytes) {
        return RegistFailure{5, text::kProgramTooLong, F::kProgram};
    }
    if (GetByteLen(ReplaceComma(name)) > kNameMaxBytes) return RegistFailure{6, text::kNameTooLong, F::kName};
    if (count >= 1) {
        const std::wstring wanted = ToUpper(Trim(mark));
        int same = 1;  // the registration being saved
        for (int i = 1; i <= table.UBound(); ++i) {
            if (i != selectedMark && table[i].mark == wanted && ++same > kMaxPerMark) {
                return RegistFailure{7, text::kMarkFull, F::kMark};
            }
        }
    }
    // Row numbers are 16-bit: a full table takes no further row.
    if (selectedMark == 0 && count >= kMaxRows) return RegistFailure{7, text::kTableFull, F::kMark};
    // Code page 932 is the profile file's encoding: a character it lacks would be stored as "?"
    // or as a look-alike, so such a field is refused instead.
    if (!SurvivesCp932(mark)) return RegistFailure{8, text::kMarkNotCp932, F::kMark};
    if (!SurvivesCp932(program)) return RegistFailure{8, text::kProgramNotCp932, F::kProgram};
    if (!SurvivesCp932(name)) return RegistFailure{8, text::kNameNotCp932, F::kName};
    return std::nullopt;
}

std::wstring DefaultDescription(const std::wstring& program) {
    // Of a quoted program ("Copy as path" pastes one), the name inside the quotes.
    std::wstring path = Trim(program);
    if (path.starts_with(L'"')) path = path.substr(1, path.find(L'"', 1) - 1);
    const int16_t p = InStrLast(path, L"\\", 0);
    const std::wstring fileName = path.substr(static_cast<size_t>(p), kDefaultNameChars);
    return GetByteMid(fileName, 1, kNameMaxBytes);
}

MarkRecord StoredRow(const std::wstring& mark, const std::wstring& program, const std::wstring& name) {
    // A program pasted in quotes without arguments is stored as the plain path.
    std::wstring path = Trim(program);
    if (path.size() >= 2 && path.starts_with(L'"') && path.find(L'"', 1) == path.size() - 1)
        path = path.substr(1, path.size() - 2);
    return MarkRecord{ToUpper(ReplaceComma(Trim(mark))), ReplaceComma(path), ReplaceComma(Trim(name))};
}

}  // namespace tolvare
