// Waiting for something another thread or process does, with a deadline.
#pragma once

#include <windows.h>

namespace pellaro::testing {

// Polls `condition` until it holds or `timeoutMs` pass, dispatching this
// thread's messages meanwhile (a window of this thread may be what it waits on).
// Returns whether the condition held.
template <class Condition>
bool WaitFor(Condition condition, ULONGLONG timeoutMs = 30000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    return true;
}

}  // namespace pellaro::testing
