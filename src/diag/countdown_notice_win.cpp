#include "diag/countdown_notice.h"

#include <windows.h>

#include <cstdint>

#include "core/dpi_scale.h"
#include "diag/countdown_notice_style.h"
#include "diag/diagnostic_dialog_content.h"
#include "platform/scoped_drawing_win.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

namespace style = countdown_style;

constexpr UINT_PTR kTimerId = 1001;

struct Notice {
    style::Texts texts;
    int seconds;
    int dpi;  // the notice's, which may be below its monitor's on a small screen
};

COLORREF ToColour(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

HFONT MakeFont(const style::Font& f) {
    const DWORD pitch = f.fixedPitch ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS);
    return CreateFontW(-f.height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitch, f.face);
}

// A font whose line is taller than its box (a stand-in face, a scaled
// height) overflows into the gap below rather than losing its descenders.
UINT ToFormat(const style::TextFormat& f) {
    UINT format = DT_CENTER | DT_NOCLIP;
    format |= f.wrap ? DT_WORDBREAK : DT_SINGLELINE;
    if (f.centreVertically) format |= DT_VCENTER;
    if (f.rightToLeft) format |= DT_RTLREADING;
    if (f.ellipsis) format |= DT_END_ELLIPSIS;
    return format;
}

int MeasureWrapped(HDC dc, const std::wstring& text, int width, const style::TextFormat& format, int dpi) {
    ScopedFont font(MakeFont(style::AtDpi(style::kMessageFont, dpi)));
    Selection selected(dc, font.get());
    const Box area = LayoutCountdown(width, 0, 0, dpi).message;
    RECT r{area.left, area.top, area.right, area.top};
    DrawTextW(dc, text.c_str(), -1, &r, ToFormat(format) | DT_CALCRECT);
    return r.bottom - r.top;
}

// Each step makes its own font, pen and brush and deletes them after it.
void DrawShape(HDC dc, const style::Step& s) {
    ScopedPen pen(CreatePen(PS_SOLID, s.pen, ToColour(s.colour)));
    ScopedBrush brush(s.kind == style::Step::Kind::line ? nullptr : CreateSolidBrush(ToColour(s.fill)));
    Selection selectedPen(dc, pen.get());
    Selection selectedBrush(dc, brush.get());
    if (s.kind == style::Step::Kind::line) {
        MoveToEx(dc, s.box.left, s.box.top, nullptr);
        LineTo(dc, s.box.right, s.box.top);
    } else if (s.kind == style::Step::Kind::ellipse) {
        Ellipse(dc, s.box.left, s.box.top, s.box.right, s.box.bottom);
    } else {
        Rectangle(dc, s.box.left, s.box.top, s.box.right, s.box.bottom);
    }
}

void DrawStep(HDC dc, const style::Step& s) {
    RECT r{s.box.left, s.box.top, s.box.right, s.box.bottom};
    switch (s.kind) {
        case style::Step::Kind::fill: {
            const ScopedBrush brush(CreateSolidBrush(ToColour(s.colour)));
            FillRect(dc, &r, brush.get());
            SetBkMode(dc, TRANSPARENT);
            return;
        }
        case style::Step::Kind::icon: {
            const int size = s.box.right - s.box.left;  // 64 at 96 DPI
            const ScopedIcon icon(static_cast<HICON>(
                LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(101), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
            if (icon) DrawIconEx(dc, s.box.left, s.box.top, icon.get(), size, size, 0, nullptr, DI_NORMAL);
            return;
        }
        case style::Step::Kind::text: {
            ScopedFont font(MakeFont(s.font));
            Selection selected(dc, font.get());
            SetTextColor(dc, ToColour(s.colour));
            DrawTextW(dc, s.text.c_str(), -1, &r, ToFormat(s.format));
            return;
        }
        default: DrawShape(dc, s); return;
    }
}

void Paint(HDC dc, int w, int h, const Notice& n) {
    const int h1 = MeasureWrapped(dc, n.texts.message, w, style::kWrapped, n.dpi);
    const int h2 = MeasureWrapped(dc, n.texts.arabicMessage, w, style::kWrappedRightToLeft, n.dpi);
    for (const style::Step& step : style::PaintSteps(w, h, h1, h2, n.texts, n.seconds, n.dpi)) DrawStep(dc, step);
}

// Paints into a memory bitmap first so the countdown does not flicker.
void PaintBuffered(HWND hwnd, const Notice& n) {
    PaintDc paint(hwnd);
    const HDC dc = paint.get();
    RECT client;
    GetClientRect(hwnd, &client);
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    ScopedMemoryDc memory(CreateCompatibleDC(dc));
    ScopedBitmap bitmap(CreateCompatibleBitmap(dc, w, h));
    if (!memory || !bitmap) return;
    Selection selected(memory.get(), bitmap.get());
    Paint(memory.get(), w, h, n);
    BitBlt(dc, 0, 0, w, h, memory.get(), 0, 0, SRCCOPY);
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
        case WM_NCHITTEST: return HTCAPTION;
        case WM_DPICHANGED: {
            // Moved to a monitor of another DPI: redrawn at that DPI, where it fits.
            if (!notice) break;
            const int dpi = FollowDpiChange(hwnd, wParam, lParam);
            const RECT work = WorkAreaOf(hwnd);
            const bool hasCode = !notice->texts.code.empty();
            notice->dpi = CountdownDpi(dpi, hasCode, work.right - work.left, work.bottom - work.top);
            SetWindowPos(hwnd, nullptr, 0, 0, ScaleToDpi(kCountdownWidth, notice->dpi),
                         ScaleToDpi(CountdownHeight(hasCode), notice->dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        case WM_TIMER:
            if (wParam != kTimerId || !notice) break;
            if (--notice->seconds > 0) {
                InvalidateRect(hwnd, nullptr, FALSE);
            } else {
                KillTimer(hwnd, kTimerId);
                PostQuitMessage(0);
            }
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool RunCountdownNotice(const std::wstring& title, const std::wstring& message, const std::wstring& arabicMessage,
                        const std::wstring& code, int seconds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = NoticeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    ScopedBrush background(CreateSolidBrush(ToColour(style::kBackground)));
    wc.hbrBackground = background.get();
    wc.lpszClassName = kCountdownWindowId;
    // A registered class owns its brush; one an earlier call registered keeps its own.
    if (RegisterClassExW(&wc)) static_cast<void>(background.release());

    // Centred on the primary screen, so drawn at its DPI.
    const RECT work = PrimaryWorkArea();
    const int dpi = CountdownDpi(PrimaryScreenDpi(), !code.empty(), work.right - work.left, work.bottom - work.top);
    Notice notice{{title, message, arabicMessage, code}, seconds, dpi};
    const int width = ScaleToDpi(kCountdownWidth, dpi);
    const int height = ScaleToDpi(CountdownHeight(!code.empty()), dpi);
    const WindowOrigin at = CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kCountdownWindowId, kCountdownWindowTitle,
                                WS_POPUP | WS_VISIBLE | WS_BORDER, at.x, at.y, width, height, nullptr, nullptr,
                                instance, &notice);
    if (!hwnd) return false;
    SetTimer(hwnd, kTimerId, style::kTickMilliseconds, nullptr);
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
