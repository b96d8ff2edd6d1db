// Hosts one browser window with the program's policies, for the end-to-end
// tests: a stand-in for the player until the application windows are wired.
// Every window action and page message is written as a debug line.
#include <QApplication>
#include <QCommandLineParser>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <string>

#include "app/app_record.h"
#include "browser/window_hosts.h"
#include "platform/debug_log.h"
#include "platform/text.h"

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

std::wstring EnvText(const char* name) {
    const char* value = std::getenv(name);
    return value ? pellaro::FromUtf8(value) : std::wstring();
}

// Hosts named in PELLARO_TEST_BLOCK_HOSTS (comma-separated) fail their pins.
bool TestPinCheck(const std::wstring& host) {
    const std::wstring list = L"," + EnvText("PELLARO_TEST_BLOCK_HOSTS") + L",";
    return list.find(L"," + host + L",") == std::wstring::npos;
}

// Stand-in for the program's player page: a frame and the "pageLoaded" word.
std::wstring SimplePlayerPage(const pellaro::ContentDescriptor& content) {
    return L"<!DOCTYPE html><html><head><meta charset='utf-8'></head><body style='margin:0'>"
           L"<iframe src='" + content.contentUrl + L"' style='width:100%;height:100vh;border:none'></iframe>"
           L"<script>window.chrome.webview.postMessage('pageLoaded');window.chrome.webview.postMessage('pageLoaded');"
           L"</script></body></html>";
}

std::wstring SimpleJsEscape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\n': out += L"\\n"; break;
            case L'\r': out += L"\\r"; break;
            case L'"': out += L"\\\""; break;
            case L'\'': out += L"\\'"; break;
            case L'<': out += L"\\x3C"; break;
            case L'>': out += L"\\x3E"; break;
            case L'\\': out += L"\\\\"; break;
            default: out += c;
        }
    }
    return out;
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
                       {"lifetime", "seconds before quitting", "s", "60"}});
    parser.process(app);

    pellaro::ContentDescriptor& content = pellaro::App().content;
    content.contentUrl = parser.value("content-url").toStdWString();
    content.contentType = parser.value("content-type").toStdWString();
    content.watermarkText = parser.value("watermark").toStdWString();
    content.pageScript = parser.value("page-script").toStdWString();
    content.baseAddress = parser.value("base").toStdWString();
    const bool home = parser.value("mode") == "home";

    TestWindow window;
    window.resize(home ? 1024 : 1280, home ? 768 : 720);
    window.setWindowTitle(QStringLiteral("Tovrel Academy V 4.12.0"));
    window.show();

    WebView::WebViewHost host;
    window.host = &host;
    host.filterServices.checkHostPins = TestPinCheck;
    host.filterServices.reportBlockedHost = [](const std::wstring& h) { DebugLine("Blocked host: " + ToUtf8(h)); };
    host.filterServices.deviceIdentifier = [] { return std::wstring(L"DEV-TEST-1"); };
    host.filterServices.hardwareIdentifier = [] { return std::wstring(L"HW-TEST-2"); };
    host.filterServices.trustPinnedHost = [](const std::wstring& h) {
        return h == L"localhost" || (h.size() > 10 && h.compare(h.size() - 10, 10, L".localhost") == 0);
    };
    WebView::WebViewHost::SetPrintHandler([](WebView::WebViewHost& h) {
        DebugLine("Action: print");
        h.PostWebMessageAsJson(L"{\"type\":\"printResult\",\"status\":\"cancelled\"}");
    });

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
        if (fullscreen) window.showFullScreen(); else window.showNormal();
    };
    actions.showOnce = [&] {
        if (shown) return;
        shown = true;
        DebugLine("Action: show player");
        window.show();
    };
    actions.closeSplash = [] { DebugLine("Action: close splash"); };

    if (home) {
        pellaro::WireHomeHost(host, actions, parser.value("home").toStdWString());
    } else {
        pellaro::WirePlayerHost(host, actions, {SimpleJsEscape, SimplePlayerPage});
    }
    // Log what the wired policies decide.
    auto navigation = host.onNavigationStarting;
    host.onNavigationStarting = [navigation, home](const std::wstring& uri, bool& cancel) {
        if (navigation) navigation(uri, cancel);
        DebugLine((cancel ? "Navigation cancelled: " : "Navigation allowed: ") + ToUtf8(uri));
        if (home) DebugLine("Base address: " + ToUtf8(pellaro::App().content.baseAddress));
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
        DebugLine("MessageBox: " + ToUtf8(pellaro::kBrowserStartFailureCaption) + " | " +
                  ToUtf8(pellaro::BrowserStartFailureText(host)));
        return 1;
    }
    QTimer::singleShot(parser.value("lifetime").toInt() * 1000, &app, &QApplication::quit);
    const int code = app.exec();
    host.Close(5000);
    return code;
}
