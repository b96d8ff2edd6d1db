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

    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const SplashGeometry g =
        SplashPlacement(image.width(), image.height(), maxWidth, maxHeight, area.width(), area.height());
    if (g.width != image.width() || g.height != image.height()) {
        image = image.scaled(g.width, g.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull()) return nullptr;
    }

    auto* splash = new SplashWidget(image);
    splash->setGeometry(area.x() + g.x, area.y() + g.y, g.width, g.height);
    splash->setFixedSize(g.width, g.height);
    auto* timer = new QTimer(splash);
    timer->setObjectName(QStringLiteral("splashLifetime"));
    timer->setSingleShot(true);
    timer->setInterval(kSplashLifetimeMs);
    QObject::connect(timer, &QTimer::timeout, splash, [] { CloseSplash(); });
    g_splash = splash;
    splash->show();
    timer->start();
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
