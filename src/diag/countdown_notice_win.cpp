#include "diag/countdown_notice.h"

#include <windows.h>

#include <algorithm>

#include "diag/diagnostic_dialog_content.h"

namespace pellaro {
namespace {

constexpr UINT_PTR kTimerId = 1001;
constexpr COLORREF kBackground = RGB(0x1a, 0x1a, 0x2e);
constexpr COLORREF kAccent = RGB(0xe9, 0x45, 0x60);
constexpr COLORREF kCodeFill = RGB(0x0f, 0x34, 0x60);
constexpr COLORREF kMessageColour = RGB(0xcc, 0xcc, 0xcc);
constexpr COLORREF kArabicColour = RGB(0xb4, 0xb4, 0xb4);
constexpr COLORREF kLineColour = RGB(0x88, 0x88, 0x88);
constexpr COLORREF kNoteColour = RGB(0x64, 0x64, 0x64);

struct Notice {
    std::wstring title, message, arabicMessage, code;
    int seconds;
};

HFONT UiFont(int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Segoe UI");
}

HFONT CodeFont() {
    return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, L"Consolas");
}

RECT ToRect(const Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

// Draws with a font made for this one text and deleted after it.
void DrawWith(HDC dc, HFONT font, COLORREF colour, const std::wstring& text, const Box& box, UINT format) {
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, colour);
    RECT r = ToRect(box);
    DrawTextW(dc, text.c_str(), -1, &r, format);
    SelectObject(dc, old);
    DeleteObject(font);
}

int MeasureWrapped(HDC dc, int height, const std::wstring& text, int top, int width, UINT extra) {
    HFONT font = UiFont(height, FW_NORMAL);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{kMessageSide, top, width - kMessageSide, top};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_WORDBREAK | DT_CALCRECT | extra);
    SelectObject(dc, old);
    DeleteObject(font);
    return r.bottom - r.top;
}

void Paint(HDC dc, int w, int h, const Notice& n) {
    RECT client{0, 0, w, h};
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(dc, &client, background);
    DeleteObject(background);
    SetBkMode(dc, TRANSPARENT);

    const int h1 = MeasureWrapped(dc, 16, n.message, kMessageTop, w, 0);
    const int h2 = MeasureWrapped(dc, 16, n.arabicMessage, kMessageTop, w, DT_RTLREADING);
    const CountdownLayout l = LayoutCountdown(w, h1, h2);

    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), IMAGE_ICON,
                                                   64, 64, LR_DEFAULTCOLOR))) {
        DrawIconEx(dc, l.icon.left, l.icon.top, icon, 64, 64, 0, nullptr, DI_NORMAL);
        DestroyIcon(icon);
    }

    const UINT oneLine = DT_CENTER | DT_SINGLELINE;
    DrawWith(dc, UiFont(24, FW_BOLD), kAccent, n.title, l.title, oneLine);

    HPEN rule = CreatePen(PS_SOLID, 1, kAccent);
    HGDIOBJ oldPen = SelectObject(dc, rule);
    MoveToEx(dc, l.ruleLeft, l.ruleY, nullptr);
    LineTo(dc, l.ruleRight, l.ruleY);
    SelectObject(dc, oldPen);
    DeleteObject(rule);

    DrawWith(dc, UiFont(16, FW_NORMAL), kMessageColour, n.message, l.message, DT_CENTER | DT_WORDBREAK);
    DrawWith(dc, UiFont(16, FW_NORMAL), kArabicColour, n.arabicMessage, l.arabicMessage,
             DT_CENTER | DT_WORDBREAK | DT_RTLREADING);

    HPEN discPen = CreatePen(PS_SOLID, 3, kAccent);
    HBRUSH discFill = CreateSolidBrush(kCodeFill);
    oldPen = SelectObject(dc, discPen);
    HGDIOBJ oldBrush = SelectObject(dc, discFill);
    Ellipse(dc, l.disc.left, l.disc.top, l.disc.right, l.disc.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(discFill);
    DeleteObject(discPen);

    DrawWith(dc, UiFont(60, FW_BOLD), kAccent, std::to_wstring(n.seconds), l.seconds,
             DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    DrawWith(dc, UiFont(13, FW_NORMAL), kLineColour, CountdownEnglishLine(n.seconds), l.englishLine, oneLine);
    DrawWith(dc, UiFont(13, FW_NORMAL), kLineColour, CountdownArabicLine(n.seconds), l.arabicLine,
             oneLine | DT_RTLREADING);

    if (n.code.empty()) return;
    DrawWith(dc, UiFont(13, FW_NORMAL), kAccent, CountdownCodeHeader(), l.codeHeader, oneLine);
    HPEN boxPen = CreatePen(PS_SOLID, 1, kAccent);
    HBRUSH boxFill = CreateSolidBrush(kCodeFill);
    oldPen = SelectObject(dc, boxPen);
    oldBrush = SelectObject(dc, boxFill);
    Rectangle(dc, l.codeBox.left, l.codeBox.top, l.codeBox.right, l.codeBox.bottom);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(boxFill);
    DeleteObject(boxPen);
    DrawWith(dc, CodeFont(), kAccent, n.code, l.code, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    DrawWith(dc, UiFont(13, FW_NORMAL), kNoteColour, CountdownCodeNote(), l.codeNote, oneLine);
}

// Paints into a memory bitmap first so the countdown does not flicker.
void PaintBuffered(HWND hwnd, const Notice& n) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    Paint(memory, w, h, n);
    BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK NoticeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* notice = reinterpret_cast<Notice*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (!notice) break;
            PaintBuffered(hwnd, *notice);
            return 0;
        case WM_NCHITTEST:
            return HTCAPTION;
        case WM_TIMER:
            if (wParam != kTimerId || !notice) break;
            if (--notice->seconds > 0) {
                InvalidateRect(hwnd, nullptr, FALSE);
            } else {
                KillTimer(hwnd, kTimerId);
                PostQuitMessage(0);
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool RunCountdownNotice(const std::wstring& title, const std::wstring& message,
                        const std::wstring& arabicMessage, const std::wstring& code, int seconds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = NoticeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = CreateSolidBrush(kBackground);
    wc.lpszClassName = kCountdownClassName;
    if (!RegisterClassExW(&wc)) DeleteObject(wc.hbrBackground);   // already registered by an earlier call

    Notice notice{title, message, arabicMessage, code, seconds};
    const int height = CountdownHeight(!code.empty());
    const WindowOrigin at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                          kCountdownWidth, height);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCountdownClassName, kCountdownWindowTitle,
                                WS_POPUP | WS_VISIBLE | WS_BORDER, at.x, at.y, kCountdownWidth, height, nullptr,
                                nullptr, instance, &notice);
    if (!hwnd) return false;
    SetTimer(hwnd, kTimerId, 1000, nullptr);
    SetForegroundWindow(hwnd);
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    MessageBeep(MB_ICONHAND);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The procedure must not reach the notice once this frame is gone.
    if (IsWindow(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
    return true;
}

}  // namespace pellaro
