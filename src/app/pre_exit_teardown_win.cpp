#include <windows.h>

#include <atomic>

#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "browser/app_windows.h"

namespace pellaro {
namespace {

constexpr UINT kTeardownLimitMs = 7000;
std::atomic<DWORD> g_mainThread{0};

void Teardown() {
    if (GetCurrentThreadId() == g_mainThread.load()) {
        DestroyBrowserHosts();
        return;
    }
    HWND hwnd = static_cast<HWND>(CurrentTopLevelWindow());
    if (hwnd == nullptr || !IsWindow(hwnd)) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, kDestroyHostsMessage, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kTeardownLimitMs, &result);
}

}  // namespace

void InstallPreExitTeardown() {
    g_mainThread = GetCurrentThreadId();
    SetPreExitCleanupHook(&Teardown);
}

}  // namespace pellaro
