// The cases both editions share (tests/shared/browser_cases.json), answered by
// the Linux windows on Qt's offscreen platform: the scripts each window's
// page carries and how it shows its first page; the window action each web
// message causes.
#include <QApplication>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/browser_windows.h"
#include "browser/page_scripts.h"
#include "core/build_constants.h"
#include "core/text.h"
#include "links/player_page.h"
#include "platform/debug_log.h"
#include "window_services_fixture.h"

namespace pellaro {
namespace {

using Json = nlohmann::json;
constexpr int kDeadlineMs = 15000;

const Json& Cases() {
    static const Json cases = [] {
        std::ifstream in(PELLARO_BROWSER_CASES);
        std::stringstream text;
        text << in.rdbuf();
        return Json::parse(text.str());
    }();
    return cases;
}

std::wstring Field(const Json& object, const char* name) { return FromUtf8(object.value(name, "")); }

ContentDescriptor DescriptorOf(const Json& content) {
    ContentDescriptor d;
    d.contentType = Field(content, "contentType");
    d.contentUrl = Field(content, "contentUrl");
    d.watermarkText = Field(content, "watermarkText");
    d.pageScript = Field(content, "pageScript");
    d.baseAddress = L"https://www.tovrel.localhost";
    return d;
}

// The builders' output each script name of the table stands for.
std::wstring Built(const std::string& name, const ContentDescriptor& content) {
    if (name == "loader") return LoaderScript();
    if (name == "printBlock") return PrintBlockScript();
    if (name == "navigationBar") return NavigationBarScript();
    if (name == "printButton") return PrintButtonScript();
    if (name == "watermark") return WatermarkScript(JsEscape(content.watermarkText));
    if (name == "pageScript") return PageScriptWrapper(content.pageScript);
    ADD_FAILURE() << "unknown script name " << name;
    return {};
}

// What the page carries, in the order the window registered it (the host
// names its scripts pellaro-1, pellaro-2, ...; the bridge shim is not one).
std::vector<std::wstring> RegisteredScripts(WebView::WebViewHost& host) {
    auto* view = static_cast<QWebEngineView*>(host.NativeBrowser());
    std::map<int, std::wstring> ordered;
    for (const QWebEngineScript& script : view->page()->scripts().toList()) {
        bool number = false;
        const int index = script.name().mid(QStringLiteral("pellaro-").size()).toInt(&number);
        if (script.name().startsWith(QStringLiteral("pellaro-")) && number)
            ordered[index] = script.sourceCode().toStdWString();
    }
    std::vector<std::wstring> out;
    for (auto& [index, source] : ordered) out.push_back(std::move(source));
    return out;
}

// A posted string arrives as it is, any other value as its JSON text.
std::wstring MessageText(const Json& posted) {
    return FromUtf8(posted.is_string() ? posted.get<std::string>() : posted.dump());
}

class SharedCases : public WindowServicesTest {
protected:
    WebView::WebViewHost* Open(const std::string& window, const ContentDescriptor& content) {
        if (window == "home") {
            if (!windows_->frames.CreateInitScreen()) return nullptr;
            return windows_->browsers.HomeHost();
        }
        NativeWindow frame = windows_->frames.CreatePlayerFrame();
        if (!frame || !windows_->frames.CreatePlayerWindow(frame, content)) return nullptr;
        return windows_->browsers.PlayerHost();
    }
    AppWindow* Window(const std::string& window) {
        return static_cast<AppWindow*>(window == "home" ? windows_->frames.HomeWindow()
                                                        : windows_->frames.PlayerFrame());
    }
    // The window and its browser go before the next case opens another.
    void Close(const std::string& window) {
        windows_->frames.DestroyBrowserHosts();
        delete Window(window);
    }
};

TEST_F(SharedCases, EachWindowCarriesTheSharedScriptsAndShowsItsFirstPage) {
    for (const Json& c : Cases().at("scripts")) {
        SCOPED_TRACE(c.at("name").get<std::string>());
        const ContentDescriptor content = DescriptorOf(c.value("content", Json::object()));
        const std::string window = c.at("window");
        WebView::WebViewHost* host = Open(window, content);
        ASSERT_NE(host, nullptr);
        std::vector<std::wstring> expected;
        for (const Json& name : c.at("expect").at("scripts")) expected.push_back(Built(name, content));
        EXPECT_EQ(RegisteredScripts(*host), expected);

        auto* page = static_cast<QWebEngineView*>(host->NativeBrowser())->page();
        if (c.at("expect").at("show") == "localPage") {
            EXPECT_TRUE(QTest::qWaitFor([&] { return host->TopDocument().programPage; }, kDeadlineMs));
        } else {
            const QUrl address(QString::fromStdWString(window == "home" ? WideConstant(ConstantKey::homeAddress)
                                                                        : content.contentUrl));
            EXPECT_TRUE(QTest::qWaitFor([&] { return page->requestedUrl() == address; }, kDeadlineMs))
                << page->requestedUrl().toString().toStdString();
        }
        Close(window);
    }
}

// What the window shows of itself: its page's address and history, how many
// loads began (a reload is one more with the same address and history), how
// often the window was shown and whether it is, full screen or not; and how
// many prints and page-loaded lines the program's own wiring saw.
struct WindowState {
    QUrl address;
    int historyIndex = 0, historyCount = 0, loads = 0, shows = 0, prints = 0, pageLoadedLines = 0;
    bool visible = false, fullscreen = false;
};

class ShowCounter : public QObject {
public:
    using QObject::QObject;
    int shows = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) ++shows;
        return QObject::eventFilter(watched, event);
    }
};

TEST_F(SharedCases, EachMessageDoesItsWindowsAction) {
    int pageLoadedLines = 0;
    SetDebugSink([&](std::string_view line) {
        if (line == "Player page loaded") ++pageLoadedLines;
    });
    ContentDescriptor content;
    content.contentType = L"embed";
    content.contentUrl = L"https://www.tovrel.localhost/content/lesson.html";
    const QUrl home(QString::fromStdWString(WideConstant(ConstantKey::homeAddress)));
    for (const std::string window : {"home", "player"}) {
        SCOPED_TRACE(window);
        WebView::WebViewHost* host = Open(window, content);
        ASSERT_NE(host, nullptr);
        QWebEnginePage* page = static_cast<QWebEngineView*>(host->NativeBrowser())->page();
        AppWindow* frame = Window(window);
        ShowCounter showCounter;
        frame->installEventFilter(&showCounter);
        int loads = 0;
        QObject::connect(page, &QWebEnginePage::loadStarted, [&] { ++loads; });
        const auto observe = [&] {
            return WindowState{page->url(),
                               page->history()->currentItemIndex(),
                               page->history()->count(),
                               loads,
                               showCounter.shows,
                               prints_,
                               pageLoadedLines,
                               frame->isVisible(),
                               frame->isFullScreen()};
        };
        // Pages are heard once the window has a committed top document.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !host->TopDocument().address.empty() || host->TopDocument().programPage; }, kDeadlineMs));
        if (window == "player") {  // the program's own page says it has loaded, once
            ASSERT_TRUE(QTest::qWaitFor([&] { return pageLoadedLines == 1; }, kDeadlineMs));
        }
        int step = 0;
        for (const Json& c : Cases().at("bridge")) {
            if (c.at("window") != window) continue;
            SCOPED_TRACE(c.at("message").dump());
            const std::string action = c.at("action");
            if (window == "home") {  // a page of its own to leave, and one to go back to
                const QUrl fresh(QStringLiteral("https://www.tovrel.localhost/case-%1").arg(++step));
                host->Navigate(fresh.toString().toStdWString());
                ASSERT_TRUE(QTest::qWaitFor([&] { return page->url() == fresh && !page->isLoading(); }, kDeadlineMs));
            }
            if (action == "showOnce") frame->hide();  // a second show would be seen
            const WindowState before = observe();
            const QUrl previous = page->history()->backItem().url();
            host->onWebMessage(MessageText(c.at("message")));
            WindowState expected = before;
            if (action == "goHome") {
                ASSERT_TRUE(QTest::qWaitFor(
                    [&] { return page->url().matches(home, QUrl::StripTrailingSlash) && !page->isLoading(); },
                    kDeadlineMs));
                expected.address = page->url();
                ++expected.historyIndex;
                ++expected.historyCount;
                ++expected.loads;
            } else if (action == "goBack") {
                ASSERT_TRUE(
                    QTest::qWaitFor([&] { return page->url() == previous && !page->isLoading(); }, kDeadlineMs));
                expected.address = previous;
                --expected.historyIndex;
                ++expected.loads;
            } else if (action == "reload") {
                ASSERT_TRUE(QTest::qWaitFor([&] { return loads > before.loads && !page->isLoading(); }, kDeadlineMs));
                ++expected.loads;
            } else if (action == "toggleFullscreen") {
                expected.fullscreen = !before.fullscreen;
            } else if (action == "print") {
                ++expected.prints;
            } else if (action == "showOnce") {
                ++expected.pageLoadedLines;  // and the window stays as it was: shown once already
            }
            QTest::qWait(500);  // whatever else the message set going would show by now
            const WindowState after = observe();
            EXPECT_EQ(after.address, expected.address) << after.address.toString().toStdString();
            EXPECT_EQ(after.historyIndex, expected.historyIndex);
            EXPECT_EQ(after.historyCount, expected.historyCount);
            EXPECT_EQ(after.loads, expected.loads);
            EXPECT_EQ(after.fullscreen, expected.fullscreen);
            EXPECT_EQ(after.prints, expected.prints);
            EXPECT_EQ(after.pageLoadedLines, expected.pageLoadedLines);
            if (!expected.fullscreen && !before.fullscreen) {  // full screen shows the window
                EXPECT_EQ(after.visible, expected.visible);
                EXPECT_EQ(after.shows, expected.shows);
            }
            if (action == "showOnce") frame->show();
        }
        frame->removeEventFilter(&showCounter);
        Close(window);
    }
    SetDebugSink(nullptr);
}

}  // namespace
}  // namespace pellaro
