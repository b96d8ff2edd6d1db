#include "platform/scoped_drawing_win.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

bool Exists(HGDIOBJ object) { return GetObjectType(object) != 0; }

TEST(ScopedDrawingWin, ASelectionIsUndoneBeforeItsObjectIsDeleted) {
    const ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_FONT);
    HFONT raw = CreateFontW(20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    ASSERT_NE(raw, nullptr);
    {
        const ScopedFont font(raw);
        const Selection selected(dc.get(), font.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), raw);
    }
    // The context's own font is back, and ours is gone (a selected font would not be deleted).
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), original);
    EXPECT_FALSE(Exists(raw));
}

TEST(ScopedDrawingWin, NothingSelectedIsNothingRestored) {
    const ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = GetCurrentObject(dc.get(), OBJ_BRUSH);
    { const Selection none(dc.get(), nullptr); }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), original);
}

TEST(ScopedDrawingWin, ReleasedObjectsStayForTheirNewOwner) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(raw, nullptr);
    {
        ScopedBrush brush(raw);
        static_cast<void>(brush.release());
    }
    EXPECT_TRUE(Exists(raw));
    DeleteObject(raw);
}

TEST(ScopedDrawingWin, TheClipboardIsGivenBackWhenTheSessionEnds) {
    const HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    {
        const ClipboardSession clipboard(owner);
        ASSERT_TRUE(clipboard);
        EXPECT_EQ(GetOpenClipboardWindow(), owner);
    }
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
    DestroyWindow(owner);
}

TEST(ScopedDrawingWin, TheScreenContextIsHadAndGivenBack) {
    const WindowDc screen(nullptr);
    ASSERT_TRUE(screen);
    EXPECT_GT(GetDeviceCaps(screen.get(), LOGPIXELSY), 0);
}

}  // namespace
}  // namespace pellaro
