// The Qt WebEngine host's start-up results, on Qt's offscreen platform.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>

#include <gtest/gtest.h>

#include "browser/webview_host.h"

namespace WebView {
namespace {

// The application object made by qt_test_main.cpp.
QApplication& Application() { return *static_cast<QApplication*>(QCoreApplication::instance()); }

struct Initialized {
    int calls = 0;
    bool success = false;
    std::int32_t result = 1;
};

void Watch(WebViewHost& host, Initialized& seen) {
    host.onInitialized = [&seen](bool success, std::int32_t result) {
        ++seen.calls;
        seen.success = success;
        seen.result = result;
    };
}

TEST(QtHost, RefusesAMissingParentOrFolder) {
    Application();
    QWidget parent;
    for (const auto& [window, folder] :
         {std::pair<QWidget*, std::wstring>{nullptr, L"/tmp/x"}, std::pair<QWidget*, std::wstring>{&parent, L""}}) {
        WebViewHost host;
        Initialized seen;
        Watch(host, seen);
        EXPECT_FALSE(host.Initialize(window, folder, 1));
        EXPECT_EQ(host.LastResult(), static_cast<std::int32_t>(0x80070057));
        EXPECT_EQ(host.StatusText(),
                  L"Invalid parent window or user-data folder.\nالنافذة الأم أو مجلد بيانات المستخدم غير صالح.");
        EXPECT_EQ(seen.calls, 1);
        EXPECT_FALSE(seen.success);
        EXPECT_FALSE(host.HasBrowser());
    }
}

TEST(QtHost, AFolderThatCannotBeCreatedNamesItsStage) {
    Application();
    QTemporaryDir temp;
    QFile blocker(temp.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const std::wstring folder = temp.filePath("file/WebView2Data").toStdWString();
    QWidget parent;
    WebViewHost host;
    Initialized seen;
    Watch(host, seen);
    EXPECT_FALSE(host.Initialize(&parent, folder, 2));
    const std::wstring text = host.StatusText();
    EXPECT_EQ(text.rfind(L"Browser engine start failed. First error 0x", 0), 0u) << text;
    EXPECT_NE(text.find(L" while creating the data folder; last error 0x"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L" while creating the data folder; engine: Qt WebEngine (Chromium "), std::wstring::npos)
        << text;
    // The second attempt used its own recovery folder.
    EXPECT_NE(text.find(L"; last data folder: " + folder + L"_Evergreen_Env5_Recovery_"), std::wstring::npos) << text;
    EXPECT_LT(host.LastResult(), 0);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.result, host.LastResult());
}

TEST(QtHost, StartsInItsOwnFolderWithInheritedEngineSettingsCleared) {
    Application();
    setenv("QTWEBENGINE_REMOTE_DEBUGGING", "9222", 1);
    setenv("WEBVIEW2_RELEASE_CHANNELS", "canary", 1);
    QTemporaryDir temp;
    const std::wstring folder = temp.filePath("WebView2Data").toStdWString();
    QWidget parent;
    parent.resize(640, 480);
    WebViewHost host;
    Initialized seen;
    Watch(host, seen);
    ASSERT_TRUE(host.Initialize(&parent, folder, 1)) << host.StatusText();
    EXPECT_EQ(seen.calls, 1);
    EXPECT_TRUE(seen.success);
    EXPECT_EQ(host.LastResult(), 0);
    const std::wstring text = host.StatusText();
    EXPECT_EQ(text.rfind(L"Browser engine started: Qt WebEngine (Chromium ", 0), 0u) << text;
    EXPECT_NE(text.find(L"; data folder: " + folder + L"_Evergreen_Env5"), std::wstring::npos) << text;
    EXPECT_EQ(std::getenv("QTWEBENGINE_REMOTE_DEBUGGING"), nullptr);
    EXPECT_EQ(std::getenv("WEBVIEW2_RELEASE_CHANNELS"), nullptr);
    const QDir data(QString::fromStdWString(folder + L"_Evergreen_Env5"));
    EXPECT_TRUE(data.exists());
    EXPECT_FALSE(data.exists(".pellaro_write_test"));

    // The print request reaches the installed handler only while the browser lives.
    int prints = 0;
    host.onPrintRequested = [&prints] { ++prints; };
    host.GoBack();  // no history: nothing happens
    host.ShowSystemPrintDialog();
    EXPECT_EQ(prints, 1);
    host.Resize(0, 100);  // ignored
    EXPECT_EQ(static_cast<QWidget*>(host.NativeBrowser())->size(), QSize(640, 480));
    host.Close(5000);
    host.ShowSystemPrintDialog();
    EXPECT_EQ(prints, 1);
    EXPECT_FALSE(host.HasBrowser());
}

}  // namespace
}  // namespace WebView
