#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "shell/splash.h"
#include "qt_test_app.h"

namespace pellaro {
namespace {

class SplashQtTest : public ::testing::Test {
protected:
    void SetUp() override { testing::EnsureQtApplication(); }
    void TearDown() override { CloseSplash(); }
};

QWidget* AsWidget(SplashWindow w) { return static_cast<QWidget*>(w); }

TEST_F(SplashQtTest, ShowsTheImageCentredAndTopMost) {
    QWidget* splash = AsWidget(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    const Qt::WindowFlags flags = splash->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(splash->windowType(), Qt::Tool);
    EXPECT_TRUE(splash->testAttribute(Qt::WA_TranslucentBackground));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const SplashGeometry expected = SplashPlacement(300, 90, 700, 450, screen.width(), screen.height());
    EXPECT_EQ(splash->width(), expected.width);
    EXPECT_EQ(splash->height(), expected.height);
    EXPECT_EQ(splash->x(), screen.x() + expected.x);
    EXPECT_EQ(splash->y(), screen.y() + expected.y);

    auto* timer = splash->findChild<QTimer*>(QStringLiteral("splashLifetime"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), kSplashLifetimeMs);
}

TEST_F(SplashQtTest, ScalesDownToSmallLimits) {
    QWidget* splash = AsWidget(ShowSplash(nullptr, 150, 0));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->width(), 150);
    EXPECT_EQ(splash->height(), 45);
}

TEST_F(SplashQtTest, ShowTwiceReturnsTheSameWindow) {
    SplashWindow first = ShowSplash(nullptr, 700, 450);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ShowSplash(nullptr, 700, 450), first);
    EXPECT_EQ(CurrentSplash(), first);
}

TEST_F(SplashQtTest, CloseEndsTheSplashAndAnotherCanFollow) {
    CloseSplash();  // nothing shown: nothing happens
    EXPECT_EQ(CurrentSplash(), nullptr);
    ASSERT_NE(ShowSplash(nullptr, 0, 0), nullptr);
    CloseSplash();
    EXPECT_EQ(CurrentSplash(), nullptr);
    CloseSplash();
    EXPECT_NE(ShowSplash(nullptr, 0, 0), nullptr);
}

TEST_F(SplashQtTest, TimerClosesTheSplash) {
    QWidget* splash = AsWidget(ShowSplash(nullptr, 700, 450));
    ASSERT_NE(splash, nullptr);
    auto* timer = splash->findChild<QTimer*>(QStringLiteral("splashLifetime"));
    ASSERT_NE(timer, nullptr);
    // Fire the lifetime timer at once instead of waiting 15 seconds.
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    EXPECT_EQ(CurrentSplash(), nullptr);
}

}  // namespace
}  // namespace pellaro
