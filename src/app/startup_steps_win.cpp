#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <gdiplus.h>

#include "app/startup_steps.h"

namespace pellaro {

ScopeGuard PlatformStartup() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return ScopeGuard([] { CoUninitialize(); });
}

std::optional<ScopeGuard> GraphicsStartup() {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return std::nullopt;
    return ScopeGuard([token] { Gdiplus::GdiplusShutdown(token); });
}

void OpenAddress(const std::wstring& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

int RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace pellaro
