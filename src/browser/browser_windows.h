#pragma once
// The browser hosts of the two application windows: started by the windows'
// starters, wired to the policies, torn down by the hosts destroyer.
#include <functional>
#include <memory>
#include <string>

#include "browser/app_windows.h"
#include "browser/engine_warmup.h"
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
    // The engine warmed ahead of the first window; null: none.
    std::shared_ptr<WebView::EngineWarmUp> warmUp;
};

// The browser side of the program's two windows: each window's host and
// what its actions keep (shown, fullscreen, the place before fullscreen).
// Owned by the program's wiring beside the AppWindows it serves; hosts still
// open when it goes are closed.
class WindowBrowsers {
public:
    explicit WindowBrowsers(BrowserWindowServices services);
    ~WindowBrowsers();
    WindowBrowsers(const WindowBrowsers&) = delete;
    WindowBrowsers& operator=(const WindowBrowsers&) = delete;

    // The hooks that give the windows these hosts: the starters, the
    // destroyer (then `afterDestroy`), the probe and the message handler.
    WindowBrowserHooks Hooks(std::function<void()> afterDestroy = {});

    // The home window's host: the home policies, then the home address. The
    // home window keeps a descriptor of its own, whose base address follows the site.
    bool StartHome(NativeWindow window);
    // The player window's host showing `content`.
    bool StartPlayer(NativeWindow window, const ContentDescriptor& content);
    // Closes the player's, then the home window's host; each slot is cleared first.
    void DestroyAll();
    bool AnyExists() const;

    // The live hosts; null when none.
    WebView::WebViewHost* HomeHost() const;
    WebView::WebViewHost* PlayerHost() const;

    // What the windows pass to their hosts of size, move, activation and power
    // messages (Windows); empty where the host follows its window by itself (Linux).
    WindowMessageHandler Messages();

private:
    struct Window;  // one window's host and state, per edition
    bool Start(Window& state, NativeWindow window, const ContentDescriptor* playerContent);
    BrowserWindowServices services_;
    std::unique_ptr<Window> home_;
    std::unique_ptr<Window> player_;
};

// The program's two windows with their browsers, as the program's wiring owns
// them: the frames get the browsers' hooks, and the browsers go before the
// frames they sit in.
struct ProgramWindows {
    ProgramWindows(NativeInstance instance, BrowserWindowServices services, std::function<void()> afterDestroy = {});
    AppWindows frames;
    WindowBrowsers browsers;
};

// The printer picker, then the host's page on the chosen physical printer; the
// outcome goes back to the page as a printResult message.
void PrintToPhysicalPrinter(WebView::WebViewHost& host, const ContentDescriptor& content);

// "<data home>/<display name>/WebView2Data"; the host adds its own suffix.
std::wstring BrowserUserDataFolder();

}  // namespace pellaro
