#include <windows.h>

#include <atomic>

#include "app/pre_exit_teardown.h"
#include "browser/app_windows.h"

namespace pellaro {
namespace {

constexpr UINT kTeardownLimitMs = 7000;
// The pre-exit hook is a plain function that any thread may call as the
// process ends: the windows it closes and their thread wait here.
std::atomic<DWORD> g_mainThread{0};
std::atomic<AppWindows*> g_windows{nullptr};

void Teardown() {
    AppWindows* windows = g_windows.load();
    if (windows == nullptr) return;
    if (GetCurrentThreadId() == g_mainThread.load()) {
        windows->DestroyBrowserHosts();
        return;
    }
    HWND hwnd = static_cast<HWND>(windows->CurrentTopLevelWindow());
    if (hwnd == nullptr || !IsWindow(hwnd)) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(hwnd, kDestroyHostsMessage, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kTeardownLimitMs, &result);
}

}  // namespace

void SetTeardownWindows(AppWindows* windows) {
    g_mainThread = GetCurrentThreadId();
    g_windows = windows;
}
void TearDownBrowsersBeforeExit() { Teardown(); }

}  // namespace pellaro
