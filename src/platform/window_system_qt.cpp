#include "platform/window_system_qt.h"

#include <QGuiApplication>
#include <QPoint>
#include <QWidget>
#include <QtGlobal>

namespace pellaro {

bool WindowSystemPlacesWindows() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

void PlaceWindow(QWidget* window, const QPoint& topLeft) {
    if (window && WindowSystemPlacesWindows()) window->move(topLeft);
}

void BringForward(QWidget* window) {
    if (!window) return;
    window->show();
    if (!WindowSystemPlacesWindows()) return;
    window->raise();
    window->activateWindow();
}

void LetScreenReadersIntoWebPages() {
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
}

}  // namespace pellaro
