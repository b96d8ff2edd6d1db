// The cases both editions share (tests/shared/browser_cases.json), answered by
// the Linux windows on Qt's offscreen platform: the scripts each window's
// page carries and how it shows its first page; the window action each web
// message causes.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "browser/app_window_qt.h"
#include "browser/app_windows.h"
#include "browser/browser_services.h"
#include "browser/browser_windows.h"
#include "browser/message_bridge.h"
#include "browser/page_scripts.h"
#include "core/build_constants.h"
#include "core/text.h"
#include "links/player_page.h"

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
        if (script.name().startsWith(QStringLiteral("pellaro-")) && number) ordered[index] = script.sourceCode().toStdWString();
    }
    std::vector<std::wstring> out;
    for (auto& [index, source] : ordered) out.push_back(std::move(source));
    return out;
}

// A posted string arrives as it is, any other value as its JSON text.
std::wstring MessageText(const Json& posted) { return FromUtf8(posted.is_string() ? posted.get<std::string>() : posted.dump()); }

class SharedCases : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(data_.isValid());
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
        BrowserWindowServices services;
        services.closeSplash = [] {};
        services.filterServices = [] { return DefaultFilterServices(nullptr); };
        services.print = [this](WebView::WebViewHost&, const ContentDescriptor&) { ++prints_; };
        services.homeAddress = WideConstant(ConstantKey::homeAddress);
        WireWindowBrowsers(services);
    }
    void TearDown() override { DestroyBrowserHosts(); }

    WebView::WebViewHost* Open(const std::string& window, const ContentDescriptor& content) {
        if (window == "home") {
            if (!CreateInitScreen(nullptr)) return nullptr;
            return HomeHost();
        }
        NativeWindow frame = CreatePlayerFrame(nullptr);
        if (!frame || !CreatePlayerWindow(nullptr, frame, content)) return nullptr;
        return PlayerHost();
    }
    AppWindow* Window(const std::string& window) { return window == "home" ? HomeWindow() : PlayerFrame(); }
    // The window and its browser go before the next case opens another.
    void Close(const std::string& window) {
        DestroyBrowserHosts();
        delete Window(window);
    }

    QTemporaryDir data_;
    int prints_ = 0;
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

TEST_F(SharedCases, EachMessageDoesItsWindowsAction) {
    ContentDescriptor content;
    content.contentType = L"embed";
    content.contentUrl = L"https://www.tovrel.localhost/content/lesson.html";
    for (const std::string window : {"home", "player"}) {
        SCOPED_TRACE(window);
        WebView::WebViewHost* host = Open(window, content);
        ASSERT_NE(host, nullptr);
        // Pages are heard once the window has a committed top document.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !host->TopDocument().address.empty() || host->TopDocument().programPage; },
                                    kDeadlineMs));
        for (const Json& c : Cases().at("bridge")) {
            if (c.at("window") != window) continue;
            SCOPED_TRACE(c.at("message").dump());
            const std::wstring text = MessageText(c.at("message"));
            const std::string action = c.at("action");
            const int printsBefore = prints_;
            const bool fullscreenBefore = Window(window)->isFullScreen();
            host->onWebMessage(text);
            EXPECT_EQ(prints_ - printsBefore, action == "print" ? 1 : 0);
            EXPECT_EQ(Window(window)->isFullScreen() != fullscreenBefore, action == "toggleFullscreen");
            // The rest of the actions are told apart by the word tables the window acts on.
            static const std::map<std::string, HomeAction> home{
                {"goHome", HomeAction::GoHome}, {"goBack", HomeAction::GoBack}, {"reload", HomeAction::Reload},
                {"toggleFullscreen", HomeAction::ToggleFullscreen}, {"print", HomeAction::Print},
                {"none", HomeAction::None}};
            static const std::map<std::string, PlayerAction> player{
                {"toggleFullscreen", PlayerAction::ToggleFullscreen}, {"showOnce", PlayerAction::ShowOnce},
                {"print", PlayerAction::Print}, {"none", PlayerAction::None}};
            if (window == "home") EXPECT_EQ(HomeMessageAction(text), home.at(action));
            else EXPECT_EQ(PlayerMessageAction(text), player.at(action));
        }
        Close(window);
    }
}

}  // namespace
}  // namespace pellaro
