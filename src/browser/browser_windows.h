#pragma once
// The browser hosts of the two application windows: started by the windows'
// starters, wired to the policies, torn down by the hosts destroyer.
#include <functional>
#include <string>

#include "browser/app_windows.h"
#include "browser/webview_host.h"
#include "links/content_descriptor.h"

namespace pellaro {

// What the hosts need from the rest of the program; the program's wiring
// fills every member.
struct BrowserWindowServices {
    std::function<void()> closeSplash;
    // The request filter's outside services, for each new host.
    std::function<FilterServices()> filterServices;
    // A page's print request, with the descriptor of the window it came from.
    std::function<void(WebView::WebViewHost& host, const ContentDescriptor& content)> print;
    std::wstring homeAddress;
};

// Gives the application windows these hosts: the starters with `services`,
// the hosts' destroyer (then `afterDestroy`), the probe and the message handler.
void WireWindowBrowsers(const BrowserWindowServices& services, std::function<void()> afterDestroy = {});

// The home window's host: the home policies, then the home address. The home
// window keeps a descriptor of its own, whose base address follows the site.
bool StartHomeBrowser(NativeWindow window, const BrowserWindowServices& services);
// The player window's host showing `content`.
bool StartPlayerBrowser(NativeWindow window, const ContentDescriptor& content, const BrowserWindowServices& services);
// Closes the player's, then the home window's host; each slot is cleared first.
void DestroyWindowBrowsers();
bool WindowBrowserExists();
// What the windows pass to their hosts of size, move, activation and power
// messages (Windows); empty where the host follows its window by itself (Linux).
WindowMessageHandler BrowserWindowMessages();

// The printer picker, then the host's page on the chosen physical printer; the
// outcome goes back to the page as a printResult message.
void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor& content);

// The live hosts; null when none.
WebView::WebViewHost* HomeHost();
WebView::WebViewHost* PlayerHost();

// "<data home>/<display name>/WebView2Data"; the host adds its own suffix.
std::wstring BrowserUserDataFolder();

}  // namespace pellaro
