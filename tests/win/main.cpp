// Runs the window tests. Started with TOLVARE_SAVE_CHILD set, the program is instead the child
// that the killed-save test kills in the middle of its saves.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace tolvare {
int RunSaveChild(const std::wstring& target);
}

int main(int argc, char** argv) {
    wchar_t target[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TOLVARE_SAVE_CHILD", target, MAX_PATH) != 0)
        return tolvare::RunSaveChild(target);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
