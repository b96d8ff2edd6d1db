#include <windows.h>

#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "app/background_work.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

// The pump of the running RunWhilePumping: the worker hands it calls that
// must run on the user-interface thread.
struct Pump {
    DWORD thread = 0;
    ScopedKernelHandle callReady;  // auto-reset
    ScopedKernelHandle callDone;   // auto-reset
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
    pump.callReady.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    pump.callDone.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    const ScopedKernelHandle finished(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!pump.callReady || !pump.callDone || !finished) {
        // No events, no pump: the work runs here, as it would without one.
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
        SetEvent(finished.get());
    });
    std::optional<int> quit;  // a WM_QUIT met meanwhile is for the loop after the start-up
    const HANDLE handles[] = {finished.get(), pump.callReady.get()};
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) break;
        if (woke == WAIT_OBJECT_0 + 1) {
            (*pump.call)();
            SetEvent(pump.callDone.get());
            continue;
        }
        if (woke == WAIT_FAILED) {
            WaitForSingleObject(finished.get(), INFINITE);  // nothing to pump with; still wait for the work
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
    SetEvent(pump->callReady.get());
    WaitForSingleObject(pump->callDone.get(), INFINITE);
}

}  // namespace pellaro
