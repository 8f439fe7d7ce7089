// Small helpers of the Win32 layer: a kernel handle closed when it goes out of scope, and the
// last error with its system text.
#pragma once

#include <windows.h>

#include "core/system.h"

namespace tolvare {

// Closes a kernel handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    BOOL Close() {
        BOOL ok = TRUE;
        if (valid()) ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

// GetLastError and its text, taken at once.
inline SysError LastError(System& sys) {
    const DWORD code = GetLastError();
    return {code, sys.ErrorText(code)};
}

}  // namespace tolvare
