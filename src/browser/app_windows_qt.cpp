#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QSet>

#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/app_windows_state.h"

namespace pellaro {
namespace {

QPointer<AppWindow> g_home;
QPointer<AppWindow> g_player;

// The frames alive now. Told apart by address: the factory below sees every
// object, some of the engine's built without type information to cast with.
QSet<const QObject*>& Frames() {
    static QSet<const QObject*> frames;
    return frames;
}

// Screen readers meet a frame as a window named by its title; a plain widget
// would be an unnamed filler to them.
QAccessibleInterface* FrameAccessible(const QString&, QObject* object) {
    if (!Frames().contains(object)) return nullptr;
    return new QAccessibleWidget(static_cast<AppWindow*>(object), QAccessible::Window);
}

AppWindow* CreateWindow(AppWindow::Kind kind, int width, int height) {
    auto* window = new AppWindow(kind);
    window->resize(width, height);
    window->show();
    return window;
}

}  // namespace

AppWindow::AppWindow(Kind kind) : kind_(kind) {
    static const bool accessible = [] {
        QAccessible::installFactory(FrameAccessible);
        return true;
    }();
    (void)accessible;
    Frames().insert(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QString::fromStdWString(WindowTitle()));
    setWindowIcon(QIcon(QStringLiteral(":/pellaro/app.ico")));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
}

AppWindow::~AppWindow() { Frames().remove(this); }

void AppWindow::SetContentWidget(QWidget* content) {
    if (content_ == content) return;
    if (content_) content_->hide();
    content_ = content;
    if (!content_) return;
    content_->setParent(this);
    content_->setGeometry(rect());
    content_->show();
}

void AppWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont font;
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(24);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.setPen(QColor(200, 200, 200));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromWCharArray(LoadingText()));
}

void AppWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (content_ && width() > 0 && height() > 0) content_->setGeometry(rect());
}

void AppWindow::closeEvent(QCloseEvent* event) {
    // Closing a window ends the program, as on Windows.
    DestroyBrowserHosts();
    NativeWindow self = this;
    WindowState().currentTopLevel.compare_exchange_strong(self, nullptr);
    event->accept();
    QCoreApplication::exit(0);
}

AppWindow* HomeWindow() { return g_home; }
AppWindow* PlayerFrame() { return g_player; }

bool CreateInitScreen(NativeInstance) {
    g_home = CreateWindow(AppWindow::Kind::Home, kHomeWidth, kHomeHeight);
    WindowState().currentTopLevel = g_home.data();
    return WindowState().homeStarter ? WindowState().homeStarter(g_home.data()) : true;
}

NativeWindow CreatePlayerFrame(NativeInstance) {
    g_player = CreateWindow(AppWindow::Kind::Player, kPlayerWidth, kPlayerHeight);
    QCoreApplication::processEvents();  // paint the loading text before the link is resolved
    return g_player.data();
}

bool CreatePlayerWindow(NativeInstance, NativeWindow window, const ContentDescriptor& content) {
    if (window == nullptr) return false;
    WindowState().currentTopLevel = window;
    return WindowState().playerStarter ? WindowState().playerStarter(window, content) : true;
}

}  // namespace pellaro
