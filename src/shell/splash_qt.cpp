#include "shell/splash.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <string>

#include "platform/debug_log.h"
#include "platform/window_system_qt.h"

// The image lives in the GUI library's Qt resources, which a static library
// registers only on request.
static void LoadShellResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)loaded;
}

namespace pellaro {
namespace {

constexpr char kImagePath[] = ":/pellaro/splash.png";
constexpr char kSharpImagePath[] = ":/pellaro/splash@2x.png";  // the same at twice the size

// The pixels for a window of `size` on a screen of `ratio` device pixels per
// pixel: from the 2x image on a dense screen, scaled once, smoothly.
QPixmap SplashPixels(const QPixmap& image, QSize size, qreal ratio) {
    QPixmap source = image;
    if (ratio > 1) {
        const QPixmap sharp(QString::fromLatin1(kSharpImagePath));
        if (!sharp.isNull()) source = sharp;
    }
    const QSize pixels(qRound(size.width() * ratio), qRound(size.height() * ratio));
    if (source.size() != pixels) source = source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    source.setDevicePixelRatio(ratio);
    return source;
}

class SplashWidget : public QWidget {
public:
    explicit SplashWidget(const QPixmap& image)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool), image_(image) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Pellaro Splash"));
        setCursor(Qt::BusyCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, image_);
    }
    // The whole image acts as a title bar: it can be dragged.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        if (windowHandle() && windowHandle()->startSystemMove()) return;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        dragging_ = true;
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }

private:
    QPixmap image_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

QPointer<SplashWidget> g_splash;

}  // namespace

SplashWindow ShowSplash(void*, int maxWidth, int maxHeight) {
    if (g_splash) return g_splash.data();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
    LoadShellResources();
    QPixmap image(QString::fromLatin1(kImagePath));
    if (image.isNull() || image.width() == 0 || image.height() == 0) return nullptr;

    // Sizes here are Qt's device-independent pixels; the screen's ratio picks the pixels.
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const SplashGeometry g = SplashPlacement(image.width(), image.height(), maxWidth, maxHeight, area.width(),
                                             area.height());
    image = SplashPixels(image, QSize(g.width, g.height), screen ? screen->devicePixelRatio() : 1.0);
    if (image.isNull()) return nullptr;

    auto* splash = new SplashWidget(image);
    splash->setFixedSize(g.width, g.height);
    PlaceWindow(splash, QPoint(area.x() + g.x, area.y() + g.y));
    auto* timer = new QTimer(splash);
    timer->setObjectName(QStringLiteral("splashLifetime"));
    timer->setSingleShot(true);
    timer->setInterval(kSplashLifetimeMs);
    QObject::connect(timer, &QTimer::timeout, splash, [] { CloseSplash(); });
    g_splash = splash;
    splash->show();
    timer->start();
    DebugLine("Splash shown: " + std::to_string(g.width) + "x" + std::to_string(g.height));
    return splash;
}

void CloseSplash() {
    SplashWidget* splash = g_splash.data();
    if (!splash) return;
    g_splash.clear();
    splash->close();  // deletes itself
}

SplashWindow CurrentSplash() { return g_splash.data(); }

void DrainPendingMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

}  // namespace pellaro
