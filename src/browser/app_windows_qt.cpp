#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QSet>

#include <memory>
#include <utility>

#include "browser/app_window_qt.h"
#include "browser/app_windows.h"

namespace pellaro {
namespace {

// The frames alive now, for the accessibility factory: Qt calls it as a plain
// function, with no object to ask. Told apart by address: the factory below sees every
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

AppWindow* CreateWindow(AppWindows& owner, AppWindow::Kind kind, int width, int height) {
    auto* window = new AppWindow(owner, kind);
    window->resize(width, height);
    window->show();
    return window;
}

}  // namespace

AppWindow::AppWindow(AppWindows& owner, Kind kind) : owner_(&owner), kind_(kind) {
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
    if (owner_) owner_->FrameClosing(this);
    event->accept();
    QCoreApplication::exit(0);
}

struct AppWindows::Frames {
    QPointer<AppWindow> home;
    QPointer<AppWindow> player;
};

AppWindows::AppWindows(NativeInstance instance, WindowBrowserHooks hooks)
    : instance_(instance), hooks_(std::move(hooks)), frames_(std::make_unique<Frames>()) {}

// Frames still open go with their owner; they let go of it first, so closing
// them runs no hooks and ends no event loop.
AppWindows::~AppWindows() {
    for (AppWindow* frame : {frames_->player.data(), frames_->home.data()}) {
        if (!frame) continue;
        frame->ReleaseOwner();
        delete frame;
    }
}

bool AppWindows::CreateInitScreen() {
    frames_->home = CreateWindow(*this, AppWindow::Kind::Home, kHomeWidth, kHomeHeight);
    current_ = frames_->home.data();
    return hooks_.home ? hooks_.home(frames_->home.data()) : true;
}

NativeWindow AppWindows::CreatePlayerFrame() {
    frames_->player = CreateWindow(*this, AppWindow::Kind::Player, kPlayerWidth, kPlayerHeight);
    QCoreApplication::processEvents();  // paint the loading text before the link is resolved
    return frames_->player.data();
}

NativeWindow AppWindows::HomeWindow() const { return frames_->home.data(); }
NativeWindow AppWindows::PlayerFrame() const { return frames_->player.data(); }

}  // namespace pellaro
