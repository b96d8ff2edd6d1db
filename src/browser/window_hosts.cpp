#include "browser/window_hosts.h"

#include "browser/message_bridge.h"
#include "browser/navigation_policy.h"
#include "browser/page_scripts.h"
#include "browser/resource_filter.h"
#include "core/text.h"
#include "platform/debug_log.h"

namespace pellaro {
namespace {

void Run(const std::function<void()>& action) {
    if (action) action();
}

// Only the committed top document of a trusted site drives the window.
bool Accepted(const WebView::WebViewHost& host, const ContentDescriptor& content) {
    const auto document = host.TopDocument();
    if (BridgeAcceptsMessage(document.address, document.programPage, content)) return true;
    DebugLine("Page message ignored: the top document is not trusted");
    return false;
}

void AskToPrint(WebView::WebViewHost& host) {
    DebugLine("Print requested by the page");
    host.ShowSystemPrintDialog();
}

void Notify(const WindowActions& actions, const std::wstring& text) {
    if (actions.showNotice) {
        actions.showNotice(text);
    } else {
        DebugLine("Notice: " + ToUtf8(text));
    }
}

// What a window does when the engine behind its page fails; `showAgain`
// shows the window's page again.
void RecoverPage(PageFailure failure, const WindowActions& actions, const std::function<void()>& showAgain) {
    const RecoveryAction action = actions.recovery ? actions.recovery->OnFailure(failure, PageRecovery::Clock::now())
                                                   : RecoveryAction::Nothing;
    DebugLine("Page failure: " + ToUtf8(PageFailureName(failure)) + "; " +
              (action == RecoveryAction::ReloadPage          ? "showing the page again"
               : action == RecoveryAction::RestartHost       ? "starting the browser again"
               : action == RecoveryAction::ShowGaveUpMessage ? "giving up"
                                                             : "nothing to do"));
    switch (action) {
        case RecoveryAction::ReloadPage: showAgain(); break;
        case RecoveryAction::RestartHost: Run(actions.restartHost); break;
        case RecoveryAction::ShowGaveUpMessage: Notify(actions, PageGaveUpMessage()); break;
        case RecoveryAction::Nothing: break;
    }
}

}  // namespace

void WireHomeHost(WebView::WebViewHost& host, WindowActions actions, std::wstring homeAddress,
                  std::shared_ptr<ContentDescriptor> content, std::wstring firstAddress) {
    WebView::WebViewHost* h = &host;
    if (firstAddress.empty()) firstAddress = homeAddress;
    host.onWebMessage = [h, actions, homeAddress, content](const std::wstring& message) {
        if (!Accepted(*h, *content)) return;
        switch (HomeMessageAction(message)) {
            case HomeAction::Print: AskToPrint(*h); break;
            case HomeAction::GoHome: h->Navigate(homeAddress); break;
            case HomeAction::GoBack: h->GoBack(); break;
            case HomeAction::Reload: h->Reload(); break;
            case HomeAction::ToggleFullscreen: Run(actions.toggleFullscreen); break;
            case HomeAction::None: break;
        }
    };
    host.onNavigationStarting = [content](const std::wstring& uri, bool&) { ObserveHomeNavigation(uri, *content); };
    host.onPermissionRequested = [content](PermissionKind kind, const std::wstring& origin) {
        return DecidePermission(kind, origin, *content);
    };
    host.onNavigationCompleted = [actions](bool, int) { Run(actions.bringToFront); };
    host.onWebResourceRequested = [](const std::wstring&, WebRequest& request) { AddHomeHeaders(request); };
    host.onNotice = [actions](const std::wstring& text) { Notify(actions, text); };
    host.onPageFailure = [h, actions, homeAddress](PageFailure failure) {
        // The address the window was on, with the home headers again.
        RecoverPage(failure, actions, [h, homeAddress] {
            const std::wstring current = h->TopDocument().address;
            h->Navigate(current.empty() || h->TopDocument().programPage ? homeAddress : current);
        });
    };
    host.onInitialized = [h, actions, firstAddress](bool success, std::int32_t) {
        if (!success) {
            Run(actions.closeSplash);
            return;
        }
        h->LockDownSettings();
        for (const auto& script : HomeScripts()) h->AddScriptToExecuteOnDocumentCreated(script);
        h->Navigate(firstAddress);
    };
}

namespace {

PlayerContentPlan Plan(const ContentDescriptor& content, const PlayerPageBuilder& pages) {
    const std::wstring escaped = pages.jsEscape ? pages.jsEscape(content.watermarkText) : std::wstring();
    return PlanPlayerContent(content, escaped);
}

void NavigateToPlan(WebView::WebViewHost& host, const PlayerContentPlan& plan, const ContentDescriptor& content,
                    const PlayerPageBuilder& pages) {
    if (plan.localPage) {
        if (pages.buildPage) host.NavigateToString(pages.buildPage(content));
    } else {
        host.Navigate(plan.address);
    }
}

}  // namespace

void ShowPlayerContent(WebView::WebViewHost& host, const ContentDescriptor& content, const PlayerPageBuilder& pages) {
    const PlayerContentPlan plan = Plan(content, pages);
    for (const auto& script : plan.scripts) host.AddScriptToExecuteOnDocumentCreated(script);
    NavigateToPlan(host, plan, content, pages);
}

void NavigatePlayerContent(WebView::WebViewHost& host, const ContentDescriptor& content,
                           const PlayerPageBuilder& pages) {
    NavigateToPlan(host, Plan(content, pages), content, pages);
}

void WirePlayerHost(WebView::WebViewHost& host, WindowActions actions, PlayerPageBuilder pages,
                    ContentDescriptor content) {
    WebView::WebViewHost* h = &host;
    // Shared by the callbacks; it does not change while the player runs.
    const auto shown = std::make_shared<const ContentDescriptor>(std::move(content));
    host.onWebMessage = [h, actions, shown](const std::wstring& message) {
        if (!Accepted(*h, *shown)) return;
        switch (PlayerMessageAction(message)) {
            case PlayerAction::Print: AskToPrint(*h); break;
            case PlayerAction::ToggleFullscreen: Run(actions.toggleFullscreen); break;
            case PlayerAction::ShowOnce:
                // Start-up timing keys on this line.
                DebugLine("Player page loaded");
                Run(actions.showOnce);
                break;
            case PlayerAction::None: break;
        }
    };
    host.onWebResourceRequested = [shown](const std::wstring&, WebRequest& request) {
        AddPlayerReferer(request, *shown);
    };
    host.onNavigationStarting = [shown](const std::wstring& uri, bool& cancel) {
        if (!PlayerNavigationAllowed(uri, *shown)) cancel = true;
    };
    host.onPermissionRequested = [shown](PermissionKind kind, const std::wstring& origin) {
        return DecidePermission(kind, origin, *shown);
    };
    host.onNavigationCompleted = nullptr;
    host.onNotice = [actions](const std::wstring& text) { Notify(actions, text); };
    host.onPageFailure = [h, actions, pages, shown](PageFailure failure) {
        RecoverPage(failure, actions, [h, pages, shown] { NavigatePlayerContent(*h, *shown, pages); });
    };
    host.onInitialized = [h, actions, pages, shown](bool success, std::int32_t) {
        if (!success) {
            Run(actions.closeSplash);
            return;
        }
        h->LockDownSettings();
        ShowPlayerContent(*h, *shown, pages);
        Run(actions.showOnce);
        Run(actions.bringToFront);
    };
}

std::wstring BrowserStartFailureText(const WebView::WebViewHost& host) {
    return WebView::EditionWording().FailureBox(host.StatusText());
}

}  // namespace pellaro
