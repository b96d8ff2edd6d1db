// The countdown notice as Windows sees it: class, title, styles, size, and the
// end of its own message loop after the countdown.
#include "diag/countdown_notice.h"

#include <windows.h>

#include <future>

#include <gtest/gtest.h>

#include "diag/diagnostic_dialog_content.h"
#include "wait_for.h"

namespace pellaro {
namespace {

struct Seen {
    RECT rect{};
    LONG_PTR style = 0;
    LONG_PTR exStyle = 0;
};

Seen WaitForNotice() {
    HWND hwnd = nullptr;
    const bool shown = testing::WaitFor([&hwnd] {
        hwnd = FindWindowW(kCountdownWindowId, kCountdownWindowTitle);
        return hwnd != nullptr;
    });
    if (!shown) {
        ADD_FAILURE() << "no countdown window";
        return {};
    }
    Seen seen;
    GetWindowRect(hwnd, &seen.rect);
    seen.style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    seen.exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    return seen;
}

class CountdownNoticeWindow : public ::testing::TestWithParam<bool> {};

TEST_P(CountdownNoticeWindow, IsATopMostBorderedPopupOfTheRightSize) {
    const bool withCode = GetParam();
    auto shown = std::async(std::launch::async, [withCode] {
        return RunCountdownNotice(L"Title", L"Message", L"\u0631\u0633\u0627\u0644\u0629", withCode ? L"QUJD" : L"", 2);
    });
    const Seen seen = WaitForNotice();
    EXPECT_EQ(seen.rect.right - seen.rect.left, 700);
    EXPECT_EQ(seen.rect.bottom - seen.rect.top, withCode ? 600 : 500);
    EXPECT_EQ(seen.rect.left, (GetSystemMetrics(SM_CXSCREEN) - 700) / 2);
    EXPECT_TRUE(seen.style & WS_POPUP);
    EXPECT_TRUE(seen.style & WS_BORDER);
    EXPECT_TRUE(seen.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(seen.exStyle & WS_EX_TOPMOST);
    ASSERT_EQ(shown.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    EXPECT_TRUE(shown.get());
    EXPECT_EQ(FindWindowW(kCountdownWindowId, kCountdownWindowTitle), nullptr);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutCode, CountdownNoticeWindow, ::testing::Bool());

}  // namespace
}  // namespace pellaro
