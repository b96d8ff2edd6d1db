// The recording runtime's browser process: it only lives until the client
// library tells it to end (an inherited event), so the host has a real process
// to wait for when it closes the browser.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <cwctype>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    constexpr wchar_t kSwitch[] = L"--pellaro-fake-browser=";
    for (int i = 1; args && i < count; ++i) {
        if (std::wcsncmp(args[i], kSwitch, std::wcslen(kSwitch)) != 0) continue;
        auto quit = reinterpret_cast<HANDLE>(
            static_cast<ULONG_PTR>(std::wcstoull(args[i] + std::wcslen(kSwitch), nullptr, 10)));
        WaitForSingleObject(quit, 120000);
    }
    if (args) LocalFree(args);
    return 0;
}
