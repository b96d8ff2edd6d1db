// The program's windows at the screen density of the Wine prefix they run in
// (its LogPixels; PELLARO_EXPECTED_DPI says which): each opens at its 96-DPI
// size scaled, its texts fit their boxes, a screenshot of it is kept
// (PELLARO_SCREENSHOT_DIR), and it follows a move to a monitor of another
// density (WM_DPICHANGED, sent as Windows sends it: Wine has one monitor).
#include <windows.h>
#include <objidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using std::max;
using std::min;
#include <gdiplus.h>

#include "browser/app_windows.h"
#include "core/dpi_scale.h"
#include "diag/countdown_notice.h"
#include "diag/countdown_notice_style.h"
#include "diag/diagnostic_dialog_content.h"
#include "platform/window_dpi_win.h"
#include "print/printer_dialog.h"
#include "print/printer_dialog_style.h"
#include "screen_pixels.h"
#include "shell/splash.h"
#include "wait_for.h"

namespace pellaro {
namespace {

namespace style = countdown_style;
namespace d = print::dialog;
using testing::Pixels;

int ExpectedDpi() {
    const char* value = std::getenv("PELLARO_EXPECTED_DPI");
    return value ? std::atoi(value) : 0;
}

// The density these windows are checked at: another monitor's, for WM_DPICHANGED.
int OtherDpi(int dpi) { return dpi == 96 ? 144 : 96; }

std::string Named(const char* window) { return std::string(window) + "-" + std::to_string(ExpectedDpi()) + "dpi"; }

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

SIZE Size(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

// A text's extent as DrawTextW lays it out, one line or wrapped at `width`.
SIZE Measure(HDC dc, HFONT font, const std::wstring& text, UINT format, int width) {
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r, format | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, old);
    return Size(r);
}

// Lets this thread handle its messages for a while.
void Pump(ULONGLONG ms) {
    testing::WaitFor([] { return false; }, ms);
}

using Step = std::function<void(HWND window)>;

// Runs the steps on this thread, one per tick of a thread timer, from inside
// the modal loop `run` starts once `find` finds its window: each step sees the
// window after the loop handled what the previous one did. The last step
// closes the window. Gives up after 60 s.
void RunSteps(const std::function<HWND()>& find, std::vector<Step> steps, const std::function<void()>& run) {
    static std::function<HWND()> s_find;
    static std::vector<Step> s_steps;
    static std::size_t s_next;
    static int s_ticks;
    s_find = find;
    s_steps = std::move(steps);
    s_next = 0;
    s_ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND window = s_find();
        if (window && s_next < s_steps.size()) {
            s_steps[s_next++](window);
        } else if (++s_ticks > 600) {
            KillTimer(nullptr, id);
            ADD_FAILURE() << "the window never appeared or did not close";
            if (window) PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    run();
    KillTimer(nullptr, timer);
    EXPECT_EQ(s_next, s_steps.size()) << "the window closed before every step ran";
}

// WM_DPICHANGED as Windows sends it to a window moved to a monitor of `dpi`:
// the suggested frame keeps the window's size in 96-DPI terms, on that
// monitor (here the one screen, whose work area bounds it).
RECT SendDpiChange(HWND window, int dpi) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int from = WindowDpi(window);
    const RECT work = WorkArea();
    const int width = std::min<int>(MulDiv(frame.right - frame.left, dpi, from), work.right - work.left);
    const int height = std::min<int>(MulDiv(frame.bottom - frame.top, dpi, from), work.bottom - work.top);
    RECT suggested{work.left, work.top, work.left + width, work.top + height};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    return suggested;
}

// Destroying a frame posts WM_QUIT, which must not end a later modal loop.
void DestroyFrame(HWND window) {
    DestroyWindow(window);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
}

class Density : public ::testing::Test {
protected:
    void SetUp() override {
        dpi_ = ExpectedDpi();
        ASSERT_GT(dpi_, 0) << "PELLARO_EXPECTED_DPI names the prefix's LogPixels";
    }
    int dpi_ = 0;
};

TEST_F(Density, IsThePrefixsAndThePrimaryScreens) {
    EXPECT_EQ(PrimaryScreenDpi(), dpi_);
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(WindowDpi(probe), dpi_);
    DestroyWindow(probe);
}

// Per-monitor awareness (v2, then v1) beside the older system-wide setting,
// which Windows before 10 1607 reads.
TEST_F(Density, TheManifestAsksForPerMonitorAwareness) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(bytes, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

class GdiPlus {
public:
    GdiPlus() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    ~GdiPlus() { Gdiplus::GdiplusShutdown(token_); }

private:
    ULONG_PTR token_ = 0;
};

// The energy of the steps from pixel to pixel: an edge blurred over k pixels
// keeps its height but spreads it, so the sum of squares drops about k times.
double Sharpness(const Pixels& p) {
    double sum = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 1; x < p.width; ++x) {
            const auto grey = [](std::uint32_t c) { return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF); };
            const double step = static_cast<int>(grey(p.At(x, y))) - static_cast<int>(grey(p.At(x - 1, y)));
            sum += step * step;
        }
    return sum / (p.width * p.height);
}

// The 1x image blown up to `size` (what a screen without the 2x image would show).
Pixels EnlargedSmallImage(SIZE size) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(10));
    const DWORD length = SizeofResource(nullptr, found);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length);
    std::memcpy(GlobalLock(block), LockResource(LoadResource(nullptr, found)), length);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(block, TRUE, &stream);
    Pixels out;
    {
        std::unique_ptr<Gdiplus::Bitmap> image(Gdiplus::Bitmap::FromStream(stream));
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
        HGDIOBJ old = SelectObject(dc, bitmap);
        {
            Gdiplus::Graphics graphics(dc);
            graphics.Clear(Gdiplus::Color(255, 0, 0, 0));
            graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
            graphics.DrawImage(image.get(), 0, 0, size.cx, size.cy);
        }
        out = testing::Capture(dc, RECT{0, 0, size.cx, size.cy});
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
    stream->Release();
    return out;
}

TEST_F(Density, SplashIsScaledAndDrawnFromTheSharpImage) {
    GdiPlus gdiplus;
    HWND splash = static_cast<HWND>(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    RECT frame{};
    GetWindowRect(splash, &frame);
    const SplashGeometry expected = SplashPlacement(300, 90, 700, 450, GetSystemMetrics(SM_CXSCREEN),
                                                    GetSystemMetrics(SM_CYSCREEN), dpi_);
    EXPECT_EQ(Size(frame).cx, expected.width);
    EXPECT_EQ(Size(frame).cy, expected.height);
    EXPECT_EQ(Size(frame).cx, ScaleToDpi(300, dpi_));
    Pump(300);  // painted and composed
    // The inner part: the window's rounded corners let the desktop through.
    HDC screen = GetDC(nullptr);
    const int margin = ScaleToDpi(14, dpi_);
    const Pixels shown = testing::Capture(
        screen, RECT{frame.left + margin, frame.top + margin, frame.right - margin, frame.bottom - margin});
    ReleaseDC(nullptr, screen);
    testing::SaveScreenshot(testing::CaptureWindow(splash), Named("splash"));
    CloseSplash();
    if (dpi_ == kBaseDpi) return;
    const Pixels enlarged = EnlargedSmallImage(Size(frame));
    Pixels inner;
    inner.width = shown.width;
    inner.height = shown.height;
    for (int y = 0; y < inner.height; ++y)
        for (int x = 0; x < inner.width; ++x) inner.rgb.push_back(enlarged.At(x + margin, y + margin));
    EXPECT_GT(Sharpness(shown), 1.15 * Sharpness(inner)) << "the splash looks like the 1x image blown up";
}

// The notice's texts at its density: one-line texts fit their boxes, no text
// box overlaps another, all of it inside the window.
void ExpectNoticeLaidOut(HWND notice, int dpi, const style::Texts& texts) {
    RECT client{};
    GetClientRect(notice, &client);
    const int w = client.right, h = client.bottom;
    HDC dc = GetDC(notice);
    const auto font = [](const style::Font& f) {
        return CreateFontW(-f.height, 0, 0, 0, f.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                           f.fixedPitch ? (FIXED_PITCH | FF_MODERN) : (VARIABLE_PITCH | FF_SWISS), f.face);
    };
    const Box area = LayoutCountdown(w, 0, 0, dpi).message;
    HFONT message = font(style::AtDpi(style::kMessageFont, dpi));
    const int h1 = Measure(dc, message, texts.message, DT_WORDBREAK | DT_CENTER, area.right - area.left).cy;
    const int h2 =
        Measure(dc, message, texts.arabicMessage, DT_WORDBREAK | DT_CENTER | DT_RTLREADING, area.right - area.left).cy;
    DeleteObject(message);
    std::vector<Box> textBoxes;
    for (const style::Step& s : style::PaintSteps(w, h, h1, h2, texts, kExitCountdownSeconds, dpi)) {
        EXPECT_LE(s.box.right, w);
        EXPECT_LE(s.box.bottom, h) << "cut off at the bottom";
        if (s.kind != style::Step::Kind::text) continue;
        textBoxes.push_back(s.box);
        if (s.format.wrap || s.format.ellipsis) continue;
        HFONT f = font(s.font);
        const SIZE extent = Measure(dc, f, s.text, DT_SINGLELINE, 0);
        DeleteObject(f);
        EXPECT_LE(extent.cx, s.box.right - s.box.left) << "too wide: " << ::testing::PrintToString(s.text);
        EXPECT_LE(extent.cy, s.box.bottom - s.box.top) << "too high: " << ::testing::PrintToString(s.text);
    }
    ReleaseDC(notice, dc);
    std::sort(textBoxes.begin(), textBoxes.end(), [](const Box& a, const Box& b) { return a.top < b.top; });
    for (std::size_t i = 1; i < textBoxes.size(); ++i)
        EXPECT_LE(textBoxes[i - 1].bottom, textBoxes[i].top) << "text boxes " << i - 1 << " and " << i << " overlap";
}

TEST_F(Density, CountdownNoticeFitsItsTextsAndTheScreen) {
    const style::Texts texts{
        L"Link Error - \u062e\u0637\u0623 \u0641\u064a \u0627\u0644\u0631\u0627\u0628\u0637",
        L"Failed to process the content link.",
        L"\u0641\u0634\u0644 \u0641\u064a \u0645\u0639\u0627\u0644\u062c\u0629 \u0627\u0644\u0631\u0627\u0628\u0637",
        L"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo="};
    const RECT work = WorkArea();
    const int fitted = CountdownDpi(dpi_, true, Size(work).cx, Size(work).cy);
    RunSteps([] { return FindWindowW(kCountdownWindowId, kCountdownWindowTitle); }, {[&](HWND notice) {
                 RECT frame{};
                 GetWindowRect(notice, &frame);
                 EXPECT_EQ(Size(frame).cx, ScaleToDpi(kCountdownWidth, fitted));
                 EXPECT_EQ(Size(frame).cy, ScaleToDpi(kCountdownHeightWithCode, fitted));
                 EXPECT_LE(Size(frame).cy, Size(work).cy);
                 ExpectNoticeLaidOut(notice, fitted, texts);
                 testing::SaveScreenshot(testing::CaptureWindow(notice), Named("countdown-notice"));

                 const int other = OtherDpi(dpi_);
                 SendDpiChange(notice, other);
                 const int there = CountdownDpi(other, true, Size(work).cx, Size(work).cy);
                 GetWindowRect(notice, &frame);
                 EXPECT_EQ(Size(frame).cx, ScaleToDpi(kCountdownWidth, there));
                 EXPECT_EQ(Size(frame).cy, ScaleToDpi(kCountdownHeightWithCode, there));
                 ExpectNoticeLaidOut(notice, there, texts);
                 PostMessageW(notice, WM_CLOSE, 0, 0);
             }},
             [&] { RunCountdownNotice(texts.title, texts.message, texts.arabicMessage, texts.code, 30); });
}

HWND FindPicker() {
    HWND picker = FindWindowW(L"#32770", d::kTitle);
    return picker && IsWindowVisible(picker) ? picker : nullptr;
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

// What the picker sizes itself at `dpi`: its cards and the fonts it hands the system.
void ExpectPickerMetrics(HWND picker, int dpi) {
    EXPECT_EQ(SendMessageW(GetDlgItem(picker, d::kListId), LB_GETITEMHEIGHT, 0, 0), ScaleToDpi(d::kItemHeight, dpi));
    EXPECT_EQ(FontHeight(GetDlgItem(picker, d::kHeadingId)), ScaleToDpi(d::kTitleFont.height, dpi));
    EXPECT_EQ(FontHeight(GetDlgItem(picker, d::kEmptyMessageId)), ScaleToDpi(d::kNormalFont.height, dpi));
}

// Every text inside its control, the controls inside the dialog (the system
// lays the dialog out from its template and font).
void ExpectPickerTextsFit(HWND picker, int dpi) {
    HWND list = GetDlgItem(picker, d::kListId);
    HWND heading = GetDlgItem(picker, d::kHeadingId);
    HDC dc = GetDC(picker);
    const auto font = [dpi](d::FontSpec spec) {
        return CreateFontW(ScaleToDpi(spec.height, dpi), 0, 0, 0, spec.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           d::kFontFace);
    };
    const auto fits = [&](HWND control, d::FontSpec spec, const std::wstring& text) {
        RECT box{};
        GetClientRect(control, &box);
        HFONT f = font(spec);
        const SIZE extent = Measure(dc, f, text, DT_SINGLELINE, 0);
        DeleteObject(f);
        EXPECT_LE(extent.cx, box.right) << ::testing::PrintToString(text);
        EXPECT_LE(extent.cy, box.bottom) << ::testing::PrintToString(text);
    };
    fits(heading, d::kTitleFont, d::kHeading);
    fits(GetDlgItem(picker, d::kPrintId), d::kSemiboldFont, d::kPrintText);
    fits(GetDlgItem(picker, d::kCancelId), d::kSemiboldFont, d::kCancelText);
    // A printer's name and the badge inside a card.
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    HFONT semibold = font(d::kSemiboldFont), badge = font(d::kBadgeFont);
    EXPECT_LE(Measure(dc, semibold, L"Office", DT_SINGLELINE, 0).cy,
              item.bottom - item.top - 2 * ScaleToDpi(d::kCardInsetY, dpi));
    const SIZE badgeText = Measure(dc, badge, d::kDefaultBadge, DT_SINGLELINE, 0);
    EXPECT_LE(badgeText.cx, ScaleToDpi(d::kBadgeWidth, dpi));
    EXPECT_LE(badgeText.cy, ScaleToDpi(d::kBadgeHeight, dpi));
    DeleteObject(semibold);
    DeleteObject(badge);
    ReleaseDC(picker, dc);
    // The buttons sit inside the dialog, below the list.
    RECT client{}, print{}, listFrame{};
    GetClientRect(picker, &client);
    GetWindowRect(GetDlgItem(picker, d::kPrintId), &print);
    GetWindowRect(list, &listFrame);
    MapWindowPoints(nullptr, picker, reinterpret_cast<POINT*>(&print), 2);
    MapWindowPoints(nullptr, picker, reinterpret_cast<POINT*>(&listFrame), 2);
    EXPECT_LE(print.bottom, client.bottom);
    EXPECT_LE(listFrame.bottom, print.top);
}

// A key as the user presses it: to the focused control, through the dialog's loop.
void PressKey(HWND picker, WPARAM key) {
    HWND target = GetFocus();
    if (!target || (target != picker && !IsChild(picker, target))) target = picker;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST_F(Density, PrinterPickerScalesItsCardsFontsAndFocusRing) {
    const std::vector<print::PrinterEntry> printers = {{L"Office", L"USB001", L"", true},
                                                       {L"Archive", L"USB002", L"", false}};
    RunSteps(FindPicker,
             {[&](HWND picker) {
                  EXPECT_EQ(WindowDpi(picker), dpi_);
                  ExpectPickerMetrics(picker, dpi_);
                  ExpectPickerTextsFit(picker, dpi_);
                  PressKey(picker, VK_TAB);
              },
              [&](HWND picker) {
                  // The keyboard's place is seen: a white ring inside the focused control.
                  HWND print = GetDlgItem(picker, d::kPrintId);
                  ASSERT_EQ(GetFocus(), print);
                  RECT button{}, frame{};
                  GetWindowRect(print, &button);
                  GetWindowRect(picker, &frame);
                  OffsetRect(&button, -frame.left, -frame.top);
                  EXPECT_GT(testing::CountColour(testing::CaptureWindow(picker), button, d::kFocusRingColour),
                            button.right - button.left)
                      << "no focus ring on Print";
                  PressKey(picker, VK_TAB);
              },
              [&](HWND picker) { PressKey(picker, VK_TAB); },
              [&](HWND picker) {
                  EXPECT_EQ(GetFocus(), GetDlgItem(picker, d::kListId));
                  testing::SaveScreenshot(testing::CaptureWindow(picker), Named("printer-picker"));
                  const int other = OtherDpi(dpi_);
                  // Under Wine the system does not lay a dialog out again; our own metrics follow.
                  SendDpiChange(picker, other);
                  ExpectPickerMetrics(picker, other);
                  PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
              }},
             [&] { EXPECT_EQ(print::RunPrinterDialog(nullptr, printers), L""); });
}

// The frames open at 1024 x 768 and 1280 x 720 at 96 DPI, scaled, and no
// larger than the screen; a browser would be sized to the client area each
// WM_SIZE reports, also after a move to another density.
TEST_F(Density, FramesOpenScaledAndTheirClientAreaFollowsADensityChange) {
    std::vector<SIZE> sized;
    AppWindows windows;
    windows.Hooks().messages = [&sized](NativeWindow, unsigned message, std::uintptr_t, std::intptr_t lParam,
                                        std::intptr_t& result) {
        if (message != WM_SIZE) return false;
        sized.push_back({LOWORD(lParam), HIWORD(lParam)});
        result = 0;
        return true;
    };
    ASSERT_TRUE(windows.CreateInitScreen());
    HWND home = static_cast<HWND>(windows.CurrentTopLevelWindow());
    HWND player = static_cast<HWND>(windows.CreatePlayerFrame());
    ASSERT_NE(player, nullptr);
    const struct {
        HWND window;
        int width, height;
        const char* name;
    } frames[] = {{home, kHomeWidth, kHomeHeight, "home-window"},
                  {player, kPlayerWidth, kPlayerHeight, "player-window"}};
    for (const auto& f : frames) {
        SCOPED_TRACE(f.name);
        RECT frame{}, client{};
        GetWindowRect(f.window, &frame);
        const SIZE expected = FrameSizeAtDpi(f.width, f.height, dpi_, WorkArea());
        EXPECT_EQ(Size(frame).cx, expected.cx);
        EXPECT_EQ(Size(frame).cy, expected.cy);
        // The loading text, in its font at this density, fits the client area.
        GetClientRect(f.window, &client);
        HDC dc = GetDC(f.window);
        HFONT font = CreateFontW(ScaleToDpi(24, dpi_), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                 CLEARTYPE_QUALITY, 0, L"Segoe UI");
        EXPECT_LE(Measure(dc, font, LoadingText(), DT_SINGLELINE, 0).cx, client.right);
        DeleteObject(font);
        ReleaseDC(f.window, dc);
        testing::SaveScreenshot(testing::CaptureWindow(f.window), Named(f.name));

        sized.clear();
        const RECT suggested = SendDpiChange(f.window, OtherDpi(dpi_));
        GetWindowRect(f.window, &frame);
        EXPECT_EQ(frame.left, suggested.left);
        EXPECT_EQ(Size(frame).cx, Size(suggested).cx);
        EXPECT_EQ(Size(frame).cy, Size(suggested).cy);
        GetClientRect(f.window, &client);
        ASSERT_FALSE(sized.empty()) << "no WM_SIZE after the density change";
        EXPECT_EQ(sized.back().cx, client.right);
        EXPECT_EQ(sized.back().cy, client.bottom);
    }
    windows.Hooks().messages = nullptr;
    DestroyFrame(player);
    DestroyFrame(home);
}

}  // namespace
}  // namespace pellaro
