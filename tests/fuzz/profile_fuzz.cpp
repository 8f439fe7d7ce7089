// libFuzzer target: any bytes as tolvare.ini go through both readers, the sort and the writer's
// text without a crash, a leak or undefined behaviour, and within the table's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/profile.h"
#include "core/globals.h"
#include "core/text.h"
#include "tests/native/fake_system.h"

namespace {

// The profile file is the fuzzer's input; nothing touches the disk.
class FuzzSystem : public tolvare::testing::FakeSystem {
public:
    std::string input;
    tolvare::ReadStatus ReadWholeFile(const std::wstring&, std::string& bytes, tolvare::SysError&) override {
        bytes = input;
        return tolvare::ReadStatus::kOk;
    }
};

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzSystem system;
    tolvare::SetSystem(&system);
    system.input.assign(reinterpret_cast<const char*>(data), size);
    tolvare::profilePath = L"fuzz.ini";

    const int16_t all = tolvare::GetMarkProfileAll(tolvare::markTable);
    Check(all >= 0 && all <= tolvare::kMaxRows && all == tolvare::markTable.UBound());
    tolvare::SortMarkTable(tolvare::markTable);
    const auto lines = tolvare::ProfileLines(tolvare::markTable);
    Check(lines.size() == static_cast<size_t>(all) + 1);

    // Look up the extension of the first row, as start-up would for a file of that type.
    const std::wstring mark = all > 0 ? tolvare::markTable[1].mark : L"TXT";
    const int16_t one = tolvare::GetMarkProfile(tolvare::markTable, mark);
    Check(one >= 0 && one <= tolvare::kMaxPerMark);
    // No field is longer than the value the platform's reader would hand back.
    for (const auto& row : tolvare::markTable.Rows()) {
        for (const auto* field : {&row.mark, &row.program, &row.name})
            Check(tolvare::GetByteLen(*field) <= 254);
    }
    return 0;
}
