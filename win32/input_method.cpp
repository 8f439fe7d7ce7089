// The input method turned off where it has no place: see input_method.h.
#include "win32/input_method.h"

#include <imm.h>

namespace tolvare {

namespace {

// imm32 is looked up when a window first needs it: the program's start-up path never loads it.
struct Imm {
    using AssociateFn = BOOL(WINAPI*)(HWND, HIMC, DWORD);
    using VirtualKeyFn = UINT(WINAPI*)(HWND);
    AssociateFn associateContextEx = nullptr;
    VirtualKeyFn getVirtualKey = nullptr;
};

const Imm& ImmApi() {
    static const Imm imm = [] {
        Imm api;
        HMODULE dll = LoadLibraryExW(L"imm32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (dll != nullptr) {
            api.associateContextEx = reinterpret_cast<Imm::AssociateFn>(
                reinterpret_cast<void*>(GetProcAddress(dll, "ImmAssociateContextEx")));
            api.getVirtualKey = reinterpret_cast<Imm::VirtualKeyFn>(
                reinterpret_cast<void*>(GetProcAddress(dll, "ImmGetVirtualKey")));
        }
        return api;
    }();
    return imm;
}

}  // namespace

void TurnOffInputMethod(HWND hwnd, bool children) {
    if (const auto associate = ImmApi().associateContextEx) {
        associate(hwnd, nullptr, 0);
        if (children) associate(hwnd, nullptr, IACE_CHILDREN);
    }
}

WPARAM KeyBeforeInputMethod(HWND hwnd, WPARAM key) {
    if (key == VK_PROCESSKEY && ImmApi().getVirtualKey != nullptr) return ImmApi().getVirtualKey(hwnd);
    return key;
}

}  // namespace tolvare
