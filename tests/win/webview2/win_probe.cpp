// Test helper run inside the same Wine prefix as the program: finds a top-level
// window, prints what a person would read in it, and answers it.
//   win_probe close <window class> <timeout ms>         posts WM_CLOSE
//   win_probe box <caption> <button id> <timeout ms>    prints the box's text, presses the button
//   win_probe post <window class> <message> <wParam> <lParam>   posts one message
//   win_probe picker <enter|escape> <timeout ms>         prints the printer picker's list, one
//                                                        name a line, then presses the key in it
//   win_probe clipboard <timeout ms>                     prints the clipboard's text (CF_TEXT)
//                                                        once there is some
//   win_probe rect <window class> <timeout ms>           prints "frame W H client W H work W H": the
//                                                        window's sizes and the screen's work area
// Exit code 0 when done, 2 when the window never appeared.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

template <class Find>
HWND WaitFor(Find find, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        if (HWND window = find()) return window;
        Sleep(100);
    }
    return nullptr;
}

BOOL CALLBACK CollectText(HWND child, LPARAM out) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") == 0) {
        wchar_t text[4096] = {};
        GetWindowTextW(child, text, 4096);
        if (text[0]) *reinterpret_cast<std::wstring*>(out) += text;
    }
    return TRUE;
}

// The printer picker's list box (its control id) and the names it offers.
constexpr int kPrinterListId = 1001;

std::wstring ListedNames(HWND picker) {
    HWND list = GetDlgItem(picker, kPrinterListId);
    std::wstring names;
    if (!list || !IsWindowVisible(list)) return names;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        if (length == LB_ERR) continue;
        std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
        name.resize(static_cast<std::size_t>(length));
        names += name + L"\n";
    }
    return names;
}

// A key as the user presses it: to the control that has the focus in the
// picker's thread, so the dialog's own key handling decides what it means.
void PressKey(HWND picker, WPARAM key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    HWND target = picker;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(picker, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == picker || IsChild(picker, info.hwndFocus)))
        target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string WaitForClipboardText(DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::string text;
    while ((text = ClipboardText()).empty() && GetTickCount64() < deadline) Sleep(100);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"close") == 0) {
        const std::wstring className = argv[2];
        HWND window = WaitFor([&] { return FindWindowW(className.c_str(), nullptr); },
                              std::wcstoul(argv[3], nullptr, 10));
        if (!window) return 2;
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (argc == 5 && std::wcscmp(argv[1], L"box") == 0) {
        const std::wstring caption = argv[2];
        HWND box = WaitFor([&] { return FindWindowW(L"#32770", caption.c_str()); }, std::wcstoul(argv[4], nullptr, 10));
        if (!box) return 2;
        Sleep(200);  // let the box finish laying out its text
        std::wstring text;
        EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&text));
        std::fputs(Utf8(text).c_str(), stdout);
        std::fflush(stdout);
        PostMessageW(box, WM_COMMAND, std::wcstoul(argv[3], nullptr, 10), 0);
        return 0;
    }
    if (argc == 6 && std::wcscmp(argv[1], L"post") == 0) {
        HWND window = FindWindowW(argv[2], nullptr);
        if (!window) return 2;
        PostMessageW(window, std::wcstoul(argv[3], nullptr, 0), std::wcstoull(argv[4], nullptr, 0),
                     static_cast<LPARAM>(std::wcstoll(argv[5], nullptr, 0)));
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"picker") == 0) {
        const bool enter = std::wcscmp(argv[2], L"enter") == 0;
        // Visible means its start (which fills the list) is over.
        HWND picker = WaitFor(
            [] {
                HWND found = FindWindowW(L"#32770", L"Select Printer");
                return found && IsWindowVisible(found) ? found : nullptr;
            },
            std::wcstoul(argv[3], nullptr, 10));
        if (!picker) return 2;
        Sleep(200);
        std::fputs(Utf8(ListedNames(picker)).c_str(), stdout);
        std::fflush(stdout);
        PressKey(picker, enter ? VK_RETURN : VK_ESCAPE);
        return 0;
    }
    if (argc == 3 && std::wcscmp(argv[1], L"clipboard") == 0) {
        const std::string text = WaitForClipboardText(std::wcstoul(argv[2], nullptr, 10));
        if (text.empty()) return 2;
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (argc == 4 && std::wcscmp(argv[1], L"rect") == 0) {
        const std::wstring className = argv[2];
        HWND window = WaitFor([&] { return FindWindowW(className.c_str(), nullptr); },
                              std::wcstoul(argv[3], nullptr, 10));
        if (!window) return 2;
        RECT frame{}, client{}, work{};
        GetWindowRect(window, &frame);
        GetClientRect(window, &client);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        std::printf("frame %ld %ld client %ld %ld work %ld %ld\n", frame.right - frame.left, frame.bottom - frame.top,
                    client.right, client.bottom, work.right - work.left, work.bottom - work.top);
        return 0;
    }
    std::fputs(
        "usage: win_probe close <class> <ms> | box <caption> <button> <ms> | post ... | picker <enter|escape> <ms> | clipboard <ms> | rect <class> <ms>\n",
        stderr);
    return 1;
}
