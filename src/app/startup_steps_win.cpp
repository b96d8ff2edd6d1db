#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <gdiplus.h>

#include <memory>

#include "platform/device_identity.h"
#include "shell/instance_lock.h"
#include "platform/os_version.h"
#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "app/startup_steps.h"
#include "browser/app_windows.h"
#include "platform/message_box.h"

namespace pellaro {
namespace {
ULONG_PTR g_gdiplusToken = 0;
}  // namespace

StartupSteps MakeStartupSteps(void* instance) {
    StartupSteps s;
    s.initCom = [] { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); };
    s.installPreExitHook = InstallPreExitTeardown;
    s.startGraphics = [] {
        Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&g_gdiplusToken, &input, nullptr) == Gdiplus::Ok;
    };
    s.takeInstanceLock = TakeInstanceLock;
    s.releaseInstanceLock = ReleaseInstanceLock;
    s.osVersionNumber = OsVersionNumber;
    s.deviceIdentifier = DeviceIdentifier;
    s.openAddress = [](const std::wstring& address) {
        ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    s.createInitScreen = [instance] { return CreateInitScreen(instance); };
    s.homeHostExists = BrowserHostExists;
    auto frame = std::make_shared<NativeWindow>(nullptr);
    s.createPlayerFrame = [instance, frame] { return (*frame = CreatePlayerFrame(instance)) != nullptr; };
    s.createPlayerWindow = [instance, frame] { return CreatePlayerWindow(instance, *frame); };
    s.messageBox = ShowMessageBox;
    s.runMessageLoop = [] {
        MSG msg{};
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        return static_cast<int>(msg.wParam);
    };
    s.destroyBrowserHosts = DestroyBrowserHosts;
    s.clearPreExitHook = [] { SetPreExitCleanupHook(nullptr); };
    s.shutdownGraphics = [] {
        if (g_gdiplusToken != 0) Gdiplus::GdiplusShutdown(g_gdiplusToken);
        g_gdiplusToken = 0;
    };
    s.uninitCom = [] { CoUninitialize(); };
    return s;
}

}  // namespace pellaro
