#pragma once
// The browser hosts of the two application windows: created by the windows'
// starters, wired to the policies, torn down by the hosts destroyer.
#include <functional>
#include <string>

#include "browser/webview_host.h"

namespace pellaro {

// Registers the home and player starters, the hosts destroyer and the host
// probe with the application windows. Call once, before the windows exist.
void InstallBrowserWindows();
// How the windows close the splash: CloseSplash unless replaced (tests).
void SetSplashCloser(std::function<void()> closer);

// The live hosts; null when none.
WebView::WebViewHost* HomeHost();
WebView::WebViewHost* PlayerHost();

// "<data home>/<display name>/WebView2Data"; the host adds its own suffix.
std::wstring BrowserUserDataFolder();

}  // namespace pellaro
