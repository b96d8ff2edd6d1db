#pragma once
// How each application window plugs the browser policies into its host. The
// window layer supplies its own actions (front, fullscreen, show); everything
// else is decided here, the same for both editions.
#include <functional>
#include <memory>
#include <string>

#include "browser/page_recovery.h"
#include "browser/webview_host.h"
#include "links/content_descriptor.h"

namespace pellaro {

// What a window can do when its page or its host asks.
struct WindowActions {
    std::function<void()> bringToFront;  // close the splash, show, raise, repaint
    std::function<void()> toggleFullscreen;
    std::function<void()> showOnce;  // player: show the window the first time only
    std::function<void()> closeSplash;
    // Tears the host down and starts it again in the same window (same folder,
    // same policies); empty where the engine cannot lose its browser process alone.
    std::function<void()> restartHost;
    // A bilingual notice for the student, owned by the window.
    std::function<void(const std::wstring& text)> showNotice;
    // The window's failure count; kept by the window, so it outlives a restarted host.
    std::shared_ptr<PageRecovery> recovery;
};

// The local player page; bound to BuildPlayerPage / JsEscape by the program.
struct PlayerPageBuilder {
    std::function<std::wstring(const std::wstring& text)> jsEscape;
    std::function<std::wstring(const ContentDescriptor& content)> buildPage;
};

// Sets the home host's callbacks: message words, home observer (which keeps
// the home window's own descriptor's base address), front after every
// navigation, home headers, and on start the settings, scripts and
// `firstAddress`: the home address, unless a host started again resumes
// where the window was.
void WireHomeHost(WebView::WebViewHost& host, WindowActions actions, std::wstring homeAddress,
                  std::shared_ptr<ContentDescriptor> content, std::wstring firstAddress = {});

// Sets the player host's callbacks: message words, Referer, navigation check,
// and on start the settings, scripts and the content of the descriptor.
void WirePlayerHost(WebView::WebViewHost& host, WindowActions actions, PlayerPageBuilder pages,
                    ContentDescriptor content);

// Shows the content of the descriptor in a ready player host.
void ShowPlayerContent(WebView::WebViewHost& host, const ContentDescriptor& content, const PlayerPageBuilder& pages);
// Navigates to the content again as at its first showing, the scripts already
// registered: no link resolution, no script twice.
void NavigatePlayerContent(WebView::WebViewHost& host, const ContentDescriptor& content,
                           const PlayerPageBuilder& pages);

// The host's status text in the edition's start-failure box, and its caption.
std::wstring BrowserStartFailureText(const WebView::WebViewHost& host);
inline const wchar_t* BrowserStartFailureCaption() { return WebView::EditionWording().FailureCaption(); }

}  // namespace pellaro
