// Setting up and reading back the end-to-end stage.
#include "tests/e2e/e2e_fixture.h"

#include <windows.h>

namespace tolvare::test {

void EndToEnd::SetUp() {
    ASSERT_FALSE(dir_.path().empty());
    exe_ = dir_ / L"tolvare.exe";
    probe_ = dir_ / L"probe.exe";
    log_ = dir_ / L"probe.log";
    profile_ = dir_ / L"tolvare.ini";
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_EXE_PATH), exe_))
        << "cannot copy " << TOLVARE_EXE_PATH << ": " << GetLastError();
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), probe_))
        << "cannot copy " << TOLVARE_PROBE_PATH << ": " << GetLastError();
    // Inherited by tolvare.exe and through it by the probe.
    ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log_.c_str()));
}

void EndToEnd::TearDown() { SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", nullptr); }

void EndToEnd::WriteProfile(std::initializer_list<std::wstring> lines) {
    std::wstring text = L"[MARK]\r\n";
    for (const std::wstring& line : lines) text += line + L"\r\n";
    ASSERT_TRUE(WriteFileBytes(profile_, ToCp932(text)));
}

ChildProcess EndToEnd::StartTolvare(const std::wstring& arguments) {
    std::wstring commandLine = Quoted(exe_);
    if (!arguments.empty()) commandLine += L" " + arguments;
    ChildProcess child = ChildProcess::Start(exe_, commandLine);
    EXPECT_TRUE(child.started()) << "CreateProcessW failed: " << child.startError();
    return child;
}

std::vector<std::wstring> EndToEnd::ProbeLines() const {
    std::vector<std::wstring> lines;
    auto bytes = ReadFileBytes(log_);
    if (!bytes) return lines;
    std::wstring text = FromUtf8(*bytes);
    size_t start = 0, end;
    // Only lines the probe has finished (each ends with "\n").
    while ((end = text.find(L'\n', start)) != std::wstring::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> EndToEnd::WaitForProbeLines(size_t count, DWORD timeoutMs) {
    PollUntil([&] { return ProbeLines().size() >= count; }, timeoutMs);
    return ProbeLines();
}

std::wstring EndToEnd::MakeFile(const std::wstring& path) {
    EXPECT_TRUE(WriteFileBytes(path, "")) << "cannot create " << path;
    return path;
}

}  // namespace tolvare::test
