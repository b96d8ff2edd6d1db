// The Linux edition's windows and pre-exit teardown, on Qt's offscreen platform.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <QThread>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "core/pre_exit_hook.h"
#include "app/pre_exit_teardown.h"
#include "browser/app_window_qt.h"
#include "browser/app_windows.h"

namespace pellaro {
namespace {

QApplication& Application() {
    static int argc = 1;
    static char name[] = "app_qt_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

TEST(QtWindows, HomeWindowPaintsTheLoadingTextOnBlack) {
    Application();
    AppWindows windows;
    ASSERT_TRUE(windows.CreateInitScreen());
    auto* home = static_cast<AppWindow*>(windows.HomeWindow());
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(windows.CurrentTopLevelWindow(), home);
    EXPECT_EQ(home->windowTitle(), QString::fromUtf8("Tovrel Academy V 4.12.0"));
    EXPECT_EQ(home->size(), QSize(1024, 768));

    const QImage image = home->grab().toImage();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black));
    int textPixels = 0;
    for (int y = image.height() / 2 - 20; y < image.height() / 2 + 20; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(200, 200, 200)) ++textPixels;
    EXPECT_GT(textPixels, 50) << "no loading text across the middle";
    int topPixels = 0;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, 40) != QColor(Qt::black)) ++topPixels;
    EXPECT_EQ(topPixels, 0) << "the text is not centred";

    // The browser widget goes over the text and follows the window's size.
    auto* content = new QLabel("browser");
    home->SetContentWidget(content);
    EXPECT_EQ(content->geometry(), home->rect());
    home->resize(800, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return content->geometry() == QRect(0, 0, 800, 600); }, 10000))
        << "the browser widget is at " << content->x() << "," << content->y() << ", " << content->width() << "x"
        << content->height();
}

TEST(QtWindows, BrowserStarterDecidesTheResult) {
    Application();
    NativeWindow started = nullptr;
    AppWindows windows;
    windows.Hooks().player = [&started](NativeWindow w, const ContentDescriptor&) {
        started = w;
        return false;
    };
    NativeWindow frame = windows.CreatePlayerFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(static_cast<AppWindow*>(frame)->size(), QSize(1280, 720));
    EXPECT_FALSE(windows.CreatePlayerWindow(frame, ContentDescriptor{}));
    EXPECT_EQ(started, frame);
    EXPECT_EQ(windows.CurrentTopLevelWindow(), frame);
    EXPECT_FALSE(windows.CreatePlayerWindow(nullptr, ContentDescriptor{}));
    windows.Hooks().player = nullptr;
    EXPECT_TRUE(windows.CreatePlayerWindow(frame, ContentDescriptor{}));
}

TEST(QtWindows, ClosingTheWindowDestroysTheHostsAndClearsTheCurrentWindow) {
    Application();
    int destroyed = 0;
    AppWindows windows;
    windows.Hooks().destroy = [&destroyed] { ++destroyed; };
    NativeWindow frame = windows.CreatePlayerFrame();
    ASSERT_TRUE(windows.CreatePlayerWindow(frame, ContentDescriptor{}));
    static_cast<AppWindow*>(frame)->close();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(windows.CurrentTopLevelWindow(), nullptr);
}

TEST(QtWindows, PreExitTeardownFromAnotherThreadRunsOnTheUiThread) {
    QApplication& app = Application();
    std::atomic<QThread*> ranOn{nullptr};
    AppWindows windows;
    windows.Hooks().destroy = [&ranOn] { ranOn = QThread::currentThread(); };
    ASSERT_TRUE(windows.CreateInitScreen());
    SetTeardownWindows(&windows);
    SetPreExitCleanupHook(&TearDownBrowsersBeforeExit);
    std::atomic<bool> finished{false};
    std::thread worker([&finished] {
        RunPreExitCleanupOnce();
        finished = true;
    });
    // The worker waits for this thread's event loop to run the teardown.
    EXPECT_TRUE(QTest::qWaitFor([&finished] { return finished.load(); }, 30000)) << "the teardown is not done";
    while (!finished) QApplication::processEvents(QEventLoop::AllEvents, 50);  // the worker must end before join
    worker.join();
    EXPECT_EQ(ranOn.load(), app.thread());
    SetPreExitCleanupHook(nullptr);
    SetTeardownWindows(nullptr);
}

}  // namespace
}  // namespace pellaro
