// libFuzzer target: any bytes as tolvare.ini go through both readers, the sort and the writer's
// text without a crash, a leak or undefined behaviour, and within the table's limits.
#include "core/profile.h"
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
    SortMarkTable(markTable);
    check(ProfileLines(markTable).size() == static_cast<size_t>(all) + 1);
    const int16_t one = GetMarkProfile(markTable, all > 0 ? markTable[1].mark : L"TXT");
    check(one >= 0 && one <= kMaxPerMark);
    return 0;
}
