// libFuzzer target: any bytes as tolvare.ini go through both readers, the sort and the writer's
// text without a crash, a leak or undefined behaviour, and within the table's limits. After a load
// marked complete, the per-key lookup finds only rows of the list, and a save reads back the same.
#include <algorithm>
#include <set>
#include <sstream>

#include "core/decode.h"
#include "core/profile.h"
#include "core/text.h"
#include "tests/native/fake_system.h"

using namespace tolvare;

// The profile file is the fuzzer's input; nothing touches the disk.
struct FuzzSystem : testing::FakeSystem {
    std::string input;
    ReadStatus ReadWholeFile(const std::wstring&, std::string& bytes, SysError&) override {
        return bytes = input, ReadStatus::kOk;
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSystem system;
    const auto check = [](bool ok) { ok ? void() : std::abort(); };
    SetSystem(&system);
    system.input.assign(reinterpret_cast<const char*>(data), size);
    const int16_t all = GetMarkProfileAll(markTable);
    check(all >= 0 && all <= kMaxRows && all == markTable.UBound());
    const MarkTable loaded = markTable;
    std::set<std::wstring> marks{L"TXT"};  // to look up: the rows' marks, what stands before a key's "_"
    for (const auto& row : loaded.Rows()) marks.insert(ToUpper(row.mark));
    std::wistringstream decoded(DecodeProfileBytes(system.input).text);
    for (std::wstring line; std::getline(decoded, line) && marks.size() < 24;)
        if (const size_t cut = line.substr(0, line.find(L'=')).rfind(L'_'); cut != std::wstring::npos)
            marks.insert(ToUpper(Trim(line.substr(0, cut))));
    const auto listed = [&](auto& row) { return std::ranges::count(loaded.Rows(), row) > 0; };
    for (const auto& mark : marks)  // each row found is a row of the list
        check(GetMarkProfile(markTable, mark) <= kMaxPerMark &&
              (!loadedProfile.complete || std::ranges::all_of(markTable.Rows(), listed)));
    if (!loadedProfile.complete) return 0;
    MarkTable saved = loaded;  // written back: the same rows, sorted, the marks in upper case
    SortMarkTable(saved);
    std::wstring text;
    for (const auto& line : ProfileLines(saved)) text += line + L"\r\n";
    for (auto& row : saved.Rows()) row.mark = ToUpper(row.mark);
    bool lossy = false;
    system.input = system.ToCp932(text, &lossy);
    if (lossy) return 0;  // a character code page 932 cannot hold: the save refuses that row
    check(GetMarkProfileAll(markTable) == all && loadedProfile.complete && markTable.Rows() == saved.Rows());
    // An extension whose rows stand together is written E_0, E_1, ...: the lookup finds ten.
    for (auto first = saved.Rows().begin(), end = saved.Rows().end(), last = first; first != end;
         first = last) {
        const auto same = [&](auto& r) { return r.mark == first->mark; };
        last = std::find_if_not(first, end, same);
        GetMarkProfile(markTable, first->mark);
        check(std::ranges::count_if(saved.Rows(), same) != last - first ||
              std::equal(markTable.Rows().begin(), markTable.Rows().end(), first,
                         first + std::min<ptrdiff_t>(last - first, kMaxPerMark)));
    }
    return 0;
}
