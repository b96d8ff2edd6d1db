// The browser hosts inside the real application windows, on Qt's offscreen platform.
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/browser_windows.h"
#include "window_services_fixture.h"

namespace pellaro {
namespace {

// The application object made by qt_test_main.cpp.
QApplication& Application() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

// Window-system changes arrive as events: the event loop runs until the
// condition holds or the deadline passes.
constexpr int kDeadlineMs = 10000;

class BrowserWindows : public WindowServicesTest {
protected:
    void SetUp() override {
        Application();
        WindowServicesTest::SetUp();
    }
};

TEST_F(BrowserWindows, HomeHostCoversTheWindowAndFollowsMinimiseAndFullscreen) {
    ASSERT_TRUE(CreateInitScreen(nullptr));
    ASSERT_NE(HomeHost(), nullptr);
    EXPECT_TRUE(BrowserHostExists());
    AppWindow* home = HomeWindow();
    auto* view = static_cast<QWidget*>(HomeHost()->NativeBrowser());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(home->ContentWidget(), view);
    EXPECT_EQ(view->geometry(), home->rect());
    EXPECT_EQ(BrowserUserDataFolder(), (data_.path() + "/Tovrel Academy/WebView2Data").toStdWString());

    home->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isVisible(); }, kDeadlineMs));
    home->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, kDeadlineMs));

    // Pages are heard once the window has a committed top document.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !HomeHost()->TopDocument().address.empty(); }, kDeadlineMs));
    const QRect before = home->geometry();
    HomeHost()->onWebMessage(L"btn_fullscreen");
    EXPECT_TRUE(home->isFullScreen());
    HomeHost()->onWebMessage(L"btn_fullscreen");
    EXPECT_FALSE(home->isFullScreen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return home->geometry() == before; }, kDeadlineMs))
        << before.x() << "," << before.y() << " " << before.width() << "x" << before.height() << " now " << home->geometry().x() << "," << home->geometry().y() << " " << home->geometry().width() << "x" << home->geometry().height();

    DestroyBrowserHosts();
    EXPECT_EQ(HomeHost(), nullptr);
    EXPECT_FALSE(BrowserHostExists());
}

TEST_F(BrowserWindows, PlayerLeavesFullscreenAsAFreshFrame) {
    ContentDescriptor content;
    content.contentUrl = L"https://www.tovrel.localhost/content/lesson.html";
    content.contentType = L"video";
    NativeWindow frame = CreatePlayerFrame(nullptr);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(CreatePlayerWindow(nullptr, frame, content));
    ASSERT_NE(PlayerHost(), nullptr);
    AppWindow* player = PlayerFrame();
    player->resize(900, 500);
    ASSERT_TRUE(QTest::qWaitFor([&] { return PlayerHost()->TopDocument().programPage; }, kDeadlineMs));
    PlayerHost()->onWebMessage(L"\"toggleFullscreen\"");
    EXPECT_TRUE(player->isFullScreen());
    PlayerHost()->onWebMessage(L"toggleFullscreen");
    EXPECT_FALSE(player->isFullScreen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->size() == QSize(1280, 720); }, kDeadlineMs)) << player->width();
    PlayerHost()->onWebMessage(L"btn_home");  // not a player word: nothing happens
    EXPECT_FALSE(player->isFullScreen());
}

}  // namespace
}  // namespace pellaro
