#pragma once
// One embedded browser inside one window, with the five callbacks through which
// the window's policies see its events. The Windows edition hosts WebView2
// (webview_host_win.cpp); the Linux edition hosts Qt WebEngine
// (webview_host_qt.cpp). Both start through one sequence (host_start.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "browser/host_status.h"
#include "browser/navigation_policy.h"
#include "browser/page_recovery.h"
#include "browser/resource_filter.h"

namespace WebView {

class HostEngine;

// HWND on Windows, QWidget* on Linux.
using NativeWindow = void*;

class WebViewHost {
public:
    // Main-frame navigation about to start; set cancel to stop it.
    std::function<void(const std::wstring& uri, bool& cancel)> onNavigationStarting;
    // A request that passed the pin check; the window may add headers.
    std::function<void(const std::wstring& uri, pellaro::WebRequest& request)> onWebResourceRequested;
    // A page posted a message (strings as is, other values as JSON text).
    std::function<void(const std::wstring& message)> onWebMessage;
    std::function<void(bool success, std::int32_t result)> onInitialized;  // result: 0 or a HostError code
    std::function<void(bool success, int status)> onNavigationCompleted;
    // The page asked to print (a message or Control+P); the window decides how.
    std::function<void()> onPrintRequested;
    // A page or frame at `origin` asks for a permission; without an answer it is refused.
    std::function<pellaro::PermissionAnswer(pellaro::PermissionKind kind, const std::wstring& origin)>
        onPermissionRequested;
    // An engine process behind the page failed, as the edition's host classified it.
    std::function<void(pellaro::PageFailure failure)> onPageFailure;
    // A notice for the student from the host itself (a download saved or refused).
    std::function<void(const std::wstring& text)> onNotice;

    // Pin check, block report and identity values used for every request and
    // for Navigate; the program binds the real services.
    pellaro::FilterServices filterServices;

    WebViewHost();
    ~WebViewHost();
    WebViewHost(const WebViewHost&) = delete;
    WebViewHost& operator=(const WebViewHost&) = delete;

    // Blocks until the browser is ready or every attempt failed; calls onInitialized.
    bool Initialize(NativeWindow parent, const std::wstring& userDataFolder, int maxAttempts);
    // Shuts the browser down and waits for it at most timeoutMs; runs once.
    void Close(int timeoutMs);

    // Window glue: each does nothing without a browser.
    void Resize(int width, int height);
    void RefreshBrowser();
    void SetBrowserVisible(bool visible);
    void NotifyMoved();

    // Page glue: each does nothing without a browser.
    void NavigateToString(const std::wstring& html);
    void Reload();
    void GoBack();
    void Navigate(const std::wstring& url);
    // Runs the script at the creation of every later document, in every frame.
    void AddScriptToExecuteOnDocumentCreated(const std::wstring& script);
    // Developer tools, context menu, status bar, zoom and the browser's
    // accelerator keys off, the PDF viewer's own Print hidden.
    void LockDownSettings();
    // Delivers a JSON value to the page's 'message' listeners.
    void PostWebMessageAsJson(const std::wstring& json);

    // Calls onPrintRequested; does nothing without a browser or without it.
    void ShowSystemPrintDialog();

    // The top document as the engine committed it, never the address a page
    // can rewrite (history.pushState); programPage for the page that
    // NavigateToString wrote. Empty before the first commit.
    struct CommittedDocument {
        std::wstring address;
        bool programPage = false;
    };
    CommittedDocument TopDocument() const;

    bool HasBrowser() const;
    NativeWindow Parent() const;
    // QWebEngineView* on Linux, ICoreWebView2* on Windows; null without a browser.
    void* NativeBrowser() const;
    // ICoreWebView2Environment* on Windows, QWebEngineProfile* on Linux; null without a browser.
    void* NativeEnvironment() const;
    std::int32_t LastResult() const;
    const std::wstring& StatusText() const;

private:
    struct Impl;
    HostEngine& Engine();  // the edition's start primitives
    std::unique_ptr<Impl> impl_;
    std::int32_t lastResult_ = 0;
    std::wstring statusText_;
};

}  // namespace WebView
