// The browser hosts inside the real application windows, on Qt's offscreen platform.
#include <QApplication>
#include <QTest>

#include <memory>

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
    ASSERT_TRUE(windows_->frames.CreateInitScreen());
    ASSERT_NE(windows_->browsers.HomeHost(), nullptr);
    EXPECT_TRUE(windows_->frames.BrowserHostExists());
    AppWindow* home = static_cast<AppWindow*>(windows_->frames.HomeWindow());
    auto* view = static_cast<QWidget*>(windows_->browsers.HomeHost()->NativeBrowser());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(home->ContentWidget(), view);
    EXPECT_EQ(view->geometry(), home->rect());
    EXPECT_EQ(BrowserUserDataFolder(), (data_.path() + "/Tovrel Academy/WebView2Data").toStdWString());

    home->showMinimized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view->isVisible(); }, kDeadlineMs));
    home->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->isVisible(); }, kDeadlineMs));

    // Pages are heard once the window has a committed top document.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !windows_->browsers.HomeHost()->TopDocument().address.empty(); }, kDeadlineMs));
    const QRect before = home->geometry();
    windows_->browsers.HomeHost()->onWebMessage(L"btn_fullscreen");
    EXPECT_TRUE(home->isFullScreen());
    windows_->browsers.HomeHost()->onWebMessage(L"btn_fullscreen");
    EXPECT_FALSE(home->isFullScreen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return home->geometry() == before; }, kDeadlineMs))
        << before.x() << "," << before.y() << " " << before.width() << "x" << before.height() << " now "
        << home->geometry().x() << "," << home->geometry().y() << " " << home->geometry().width() << "x"
        << home->geometry().height();

    windows_->frames.DestroyBrowserHosts();
    EXPECT_EQ(windows_->browsers.HomeHost(), nullptr);
    EXPECT_FALSE(windows_->frames.BrowserHostExists());
}

TEST_F(BrowserWindows, PlayerLeavesFullscreenAsAFreshFrame) {
    ContentDescriptor content;
    content.contentUrl = L"https://www.tovrel.localhost/content/lesson.html";
    content.contentType = L"video";
    NativeWindow frame = windows_->frames.CreatePlayerFrame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(windows_->frames.CreatePlayerWindow(frame, content));
    ASSERT_NE(windows_->browsers.PlayerHost(), nullptr);
    AppWindow* player = static_cast<AppWindow*>(windows_->frames.PlayerFrame());
    player->resize(900, 500);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return windows_->browsers.PlayerHost()->TopDocument().programPage; }, kDeadlineMs));
    windows_->browsers.PlayerHost()->onWebMessage(L"\"toggleFullscreen\"");
    EXPECT_TRUE(player->isFullScreen());
    windows_->browsers.PlayerHost()->onWebMessage(L"toggleFullscreen");
    EXPECT_FALSE(player->isFullScreen());
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->size() == QSize(1280, 720); }, kDeadlineMs)) << player->width();
    windows_->browsers.PlayerHost()->onWebMessage(L"btn_home");  // not a player word: nothing happens
    EXPECT_FALSE(player->isFullScreen());
}

}  // namespace
}  // namespace pellaro
