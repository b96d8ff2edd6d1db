#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include "shell/splash.h"

namespace pellaro {
namespace {

class SplashWinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(token_); }
    void TearDown() override { CloseSplash(); }
    static ULONG_PTR token_;
};
ULONG_PTR SplashWinTest::token_ = 0;

SplashGeometry Expected(int maxW, int maxH) {
    return SplashPlacement(300, 90, maxW, maxH, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void ExpectWindowAt(HWND hwnd, const SplashGeometry& g) {
    RECT r = {};
    ASSERT_TRUE(GetWindowRect(hwnd, &r));
    EXPECT_EQ(r.right - r.left, g.width);
    EXPECT_EQ(r.bottom - r.top, g.height);
    EXPECT_EQ(r.left, g.x);
    EXPECT_EQ(r.top, g.y);
}

TEST_F(SplashWinTest, CreatesTheLayeredTopMostWindowFromResource102) {
    HWND splash = static_cast<HWND>(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    DrainPendingMessages();
    EXPECT_EQ(FindWindowW(L"PellaroTransparentSplashClass", L"Pellaro Splash"), splash);
    const LONG_PTR exStyle = GetWindowLongPtrW(splash, GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const LONG_PTR style = GetWindowLongPtrW(splash, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(splash));
    ExpectWindowAt(splash, Expected(700, 450));
    // Dragging anywhere on the image moves it.
    EXPECT_EQ(SendMessageW(splash, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTCAPTION);
}

TEST_F(SplashWinTest, ResizesToSmallLimits) {
    HWND splash = static_cast<HWND>(ShowSplash(GetModuleHandleW(nullptr), 150, 0));
    ASSERT_NE(splash, nullptr);
    const SplashGeometry g = Expected(150, 0);
    EXPECT_EQ(g.width, 150);
    EXPECT_EQ(g.height, 45);
    ExpectWindowAt(splash, g);
}

TEST_F(SplashWinTest, ShowTwiceReturnsTheSameWindowAndCloseIsSafe) {
    CloseSplash();  // nothing shown: nothing happens
    HWND first = static_cast<HWND>(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ShowSplash(nullptr, 700, 450), first);
    CloseSplash();
    EXPECT_EQ(CurrentSplash(), nullptr);
    EXPECT_FALSE(IsWindow(first));
    CloseSplash();
    HWND second = static_cast<HWND>(ShowSplash(nullptr, 700, 450));
    EXPECT_NE(second, nullptr);  // the class stays registered
}

TEST_F(SplashWinTest, TimerClosesTheSplash) {
    HWND splash = static_cast<HWND>(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    SendMessageW(splash, WM_TIMER, kSplashTimerId, 0);
    EXPECT_EQ(CurrentSplash(), nullptr);
    EXPECT_FALSE(IsWindow(splash));
}

TEST_F(SplashWinTest, MissingImageGivesNoSplash) {
    // A module without resource 102 (the system's user32) yields nothing, silently.
    EXPECT_EQ(ShowSplash(GetModuleHandleW(L"user32.dll"), 700, 450), nullptr);
    EXPECT_EQ(CurrentSplash(), nullptr);
}

}  // namespace
}  // namespace pellaro
