// Hosts one browser window with the program's policies, for the end-to-end
// tests: a stand-in for the player until the application windows are wired.
// Every window action and page message is written as a debug line.
//
// A line "keys K..." on stdin presses each key ("ctrl+p", "a") in the window
// through Qt's window-system input, as a key from the compositor arrives: on
// Wayland no outside program may type into another's window.
#include <QApplication>
#include <QCommandLineParser>
#include <QPainter>
#include <QFile>
#include <QResizeEvent>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/app_record.h"
#include "browser/browser_services.h"
#include "browser/window_hosts.h"
#include "links/player_page.h"
#include "net/pin_store.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace {

using pellaro::DebugLine;
using pellaro::ToUtf8;

class TestWindow : public QWidget {
public:
    WebView::WebViewHost* host = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.setPen(QColor(200, 200, 200));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Loading..."));
    }
    void resizeEvent(QResizeEvent* event) override {
        if (host) {
            host->Resize(event->size().width(), event->size().height());
            host->RefreshBrowser();
        }
    }
};

// "ctrl+shift+s" -> the key and its modifiers, pressed and released.
void PressKey(QWindow* window, const QString& combination) {
    Qt::KeyboardModifiers modifiers;
    const QStringList parts = combination.split(QLatin1Char('+'));
    for (int i = 0; i + 1 < parts.size(); ++i) {
        const QString m = parts[i].toLower();
        if (m == "ctrl") modifiers |= Qt::ControlModifier;
        if (m == "shift") modifiers |= Qt::ShiftModifier;
        if (m == "alt") modifiers |= Qt::AltModifier;
    }
    const QString name = parts.last();
    if (name.size() != 1 || !name[0].isLetterOrNumber()) return;
    const QChar c = name[0].toUpper();
    const auto key = static_cast<Qt::Key>(c.unicode());  // Qt::Key_A.. and Key_0.. are their characters
    QTest::keyClick(window, key, modifiers);
}

void PressKeys(const QString& line, QWidget& window) {
    if (!line.startsWith(QLatin1String("keys "))) return;
    for (const QString& combination : line.mid(5).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        PressKey(window.windowHandle(), combination);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({{"mode", "home or player", "mode", "player"},
                       {"home", "home address", "url"},
                       {"content-url", "content address", "url"},
                       {"content-type", "content type", "type"},
                       {"watermark", "watermark text (UTF-8)", "text"},
                       {"page-script", "page script", "js"},
                       {"base", "base address", "url"},
                       {"data", "user-data folder", "dir"},
                       {"pin-port", "port the pin pre-check connects to", "port", "443"},
                       {"lifetime", "seconds before quitting", "s", "60"}});
    parser.process(app);

    pellaro::ContentDescriptor content;
    content.contentUrl = parser.value("content-url").toStdWString();
    content.contentType = parser.value("content-type").toStdWString();
    content.watermarkText = parser.value("watermark").toStdWString();
    content.pageScript = parser.value("page-script").toStdWString();
    content.baseAddress = parser.value("base").toStdWString();
    const bool home = parser.value("mode") == "home";
    // The home window's own descriptor starts from the same values.
    const auto homeContent = std::make_shared<pellaro::ContentDescriptor>(content);

    TestWindow window;
    window.resize(home ? 1024 : 1280, home ? 768 : 720);
    window.setWindowTitle(QStringLiteral("Tovrel Academy V 4.12.0"));
    window.show();

    WebView::WebViewHost host;
    window.host = &host;
    // The program's own services, with the pins checked on the backend's port
    // and fixed identifiers the tests can look for.
    pellaro::InstallDefaultPins();
    host.filterServices = pellaro::DefaultFilterServices(
        [](const std::wstring& h) { DebugLine("Blocked host: " + ToUtf8(h)); }, parser.value("pin-port").toInt());
    host.filterServices.deviceIdentifier = [] { return std::wstring(L"DEV-TEST-1"); };
    host.filterServices.hardwareIdentifier = [] { return std::wstring(L"HW-TEST-2"); };
    // The test root is in no system store: unpinned loopback test hosts are
    // let through here; pinned hosts still go by their pins.
    auto pinnedTrust = host.filterServices.trustPinnedHost;
    host.filterServices.trustPinnedHost = [pinnedTrust](const std::wstring& h) {
        if (pellaro::FindPinEntry(h)) return pinnedTrust(h);
        return h.size() > 10 && h.compare(h.size() - 10, 10, L".localhost") == 0;
    };
    host.onPrintRequested = [&host] {
        DebugLine("Action: print");
        host.PostWebMessageAsJson(L"{\"type\":\"printResult\",\"status\":\"cancelled\"}");
    };

    bool shown = false;
    bool fullscreen = false;
    pellaro::WindowActions actions;
    actions.bringToFront = [&] {
        DebugLine("Action: front");
        window.show();
        window.raise();
        window.activateWindow();
    };
    actions.toggleFullscreen = [&] {
        fullscreen = !fullscreen;
        DebugLine(fullscreen ? "Action: fullscreen on" : "Action: fullscreen off");
        if (fullscreen) window.showFullScreen();
        else window.showNormal();
    };
    actions.showOnce = [&] {
        if (shown) return;
        shown = true;
        DebugLine("Action: show player");
        window.show();
    };
    actions.closeSplash = [] { DebugLine("Action: close splash"); };

    if (home) {
        pellaro::WireHomeHost(host, actions, parser.value("home").toStdWString(), homeContent);
    } else {
        pellaro::WirePlayerHost(host, actions,
                                {pellaro::JsEscape,
                                 [](const pellaro::ContentDescriptor& c) {
                                     return pellaro::BuildPlayerPage(c.contentUrl, c.watermarkText, c.contentType);
                                 }},
                                content);
    }
    // Log what the wired policies decide.
    auto navigation = host.onNavigationStarting;
    host.onNavigationStarting = [navigation, home, homeContent](const std::wstring& uri, bool& cancel) {
        if (navigation) navigation(uri, cancel);
        DebugLine((cancel ? "Navigation cancelled: " : "Navigation allowed: ") + ToUtf8(uri));
        if (home) DebugLine("Base address: " + ToUtf8(homeContent->baseAddress));
    };
    auto messages = host.onWebMessage;
    host.onWebMessage = [messages](const std::wstring& message) {
        DebugLine("WebMessage: " + ToUtf8(message));
        if (messages) messages(message);
    };
    auto completed = host.onNavigationCompleted;
    host.onNavigationCompleted = [completed](bool ok, int status) {
        DebugLine(std::string("Navigation completed: ") + (ok ? "ok" : "failed") + " " + std::to_string(status));
        if (completed) completed(ok, status);
    };

    const std::wstring folder = parser.value("data").toStdWString();
    if (!host.Initialize(&window, folder, 1)) {
        DebugLine("MessageBox: " + ToUtf8(pellaro::BrowserStartFailureCaption()) + " | " +
                  ToUtf8(pellaro::BrowserStartFailureText(host)));
        return 1;
    }
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    QSocketNotifier keys(0, QSocketNotifier::Read);
    QObject::connect(&keys, &QSocketNotifier::activated, &keys, [&] {
        const QByteArray line = input.readLine();
        if (line.isEmpty()) {
            keys.setEnabled(false);  // stdin closed
            return;
        }
        PressKeys(QString::fromUtf8(line).trimmed(), window);
    });
    QTimer::singleShot(parser.value("lifetime").toInt() * 1000, &app, &QApplication::quit);
    const int code = app.exec();
    host.Close(5000);
    return code;
}
