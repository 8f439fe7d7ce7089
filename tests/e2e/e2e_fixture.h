// The stage of every end-to-end test: a fresh folder (with a space in its name) holding copies
// of tolvare.exe and the probe program, a profile written as code page 932 bytes, and the
// probe's log, read back once the launched probe has written it.
#pragma once

#include "tests/support/process_driver.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace tolvare::test {

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes tolvare.ini: "[MARK]" and the given lines, CR LF, code page 932.
    void WriteProfile(std::initializer_list<std::wstring> lines);
    // Starts the copied tolvare.exe; `arguments` follow its quoted path after one space.
    ChildProcess StartTolvare(const std::wstring& arguments);
    // Waits until the probe has recorded `count` command lines and returns them.
    std::vector<std::wstring> WaitForProbeLines(size_t count, DWORD timeoutMs = kProcessTimeoutMs);
    // What the probe recorded so far (its log may not exist yet).
    std::vector<std::wstring> ProbeLines() const;
    // Creates a file (empty) and returns its full path.
    std::wstring MakeFile(const std::wstring& path);

    TempDir dir_{L"tolvare e2e"};
    std::wstring exe_;    // the copy of tolvare.exe
    std::wstring probe_;  // the copy of probe.exe, registered as the program to launch
    std::wstring log_;    // where the probe writes
    std::wstring profile_;
};

}  // namespace tolvare::test
