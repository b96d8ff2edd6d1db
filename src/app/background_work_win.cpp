#include <windows.h>

#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "app/background_work.h"

namespace pellaro {
namespace {

// The pump of the running RunWhilePumping: the worker hands it calls that
// must run on the user-interface thread.
struct Pump {
    DWORD thread = 0;
    HANDLE callReady = nullptr;  // auto-reset
    HANDLE callDone = nullptr;   // auto-reset
    const std::function<void()>* call = nullptr;
    std::mutex oneCallAtATime;
};

// Hooks that fire on the worker (a pin failure's notice) have no object to
// reach the pump through: the running one waits here.
std::mutex g_pumpLock;
Pump* g_pump = nullptr;

}  // namespace

void RunWhilePumping(const std::function<void()>& work) {
    Pump pump;
    pump.thread = GetCurrentThreadId();
    pump.callReady = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    pump.callDone = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!pump.callReady || !pump.callDone || !finished) {
        // No events, no pump: the work runs here, as it would without one.
        for (HANDLE handle : {pump.callReady, pump.callDone, finished})
            if (handle) CloseHandle(handle);
        work();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(g_pumpLock);
        g_pump = &pump;
    }
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        SetEvent(finished);
    });
    std::optional<int> quit;  // a WM_QUIT met meanwhile is for the loop after the start-up
    const HANDLE handles[] = {finished, pump.callReady};
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_OBJECT_0 + 1) {
            (*pump.call)();
            SetEvent(pump.callDone);
            continue;
        }
        if (woke == WAIT_FAILED) {
            WaitForSingleObject(finished, INFINITE);  // nothing to pump with; still wait for the work
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = static_cast<int>(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    worker.join();
    {
        std::lock_guard<std::mutex> lock(g_pumpLock);
        g_pump = nullptr;
    }
    CloseHandle(finished);
    CloseHandle(pump.callReady);
    CloseHandle(pump.callDone);
    if (quit) PostQuitMessage(*quit);
    if (failure) std::rethrow_exception(failure);
}

void RunOnUserInterfaceThread(const std::function<void()>& call) {
    Pump* pump = nullptr;
    {
        std::lock_guard<std::mutex> lock(g_pumpLock);
        pump = g_pump;
    }
    // Without a pump, or on its own thread, the call runs where it is.
    if (pump == nullptr || pump->thread == GetCurrentThreadId()) {
        call();
        return;
    }
    std::lock_guard<std::mutex> one(pump->oneCallAtATime);
    pump->call = &call;
    SetEvent(pump->callReady);
    WaitForSingleObject(pump->callDone, INFINITE);
}

}  // namespace pellaro
