#include "browser/message_bridge.h"

#include <string>

#include "browser/navigation_policy.h"
#include "core/backend_host.h"
#include "core/url_host.h"

namespace pellaro {

bool BridgeAcceptsMessage(std::wstring_view documentAddress, bool programPage, const ContentDescriptor& content) {
    if (programPage) return true;
    const std::wstring scheme = UrlScheme(documentAddress);
    if (scheme != L"https" && scheme != L"http") return false;
    const std::wstring host = UrlHost(documentAddress);
    return IsBackendHost(host) || IsItemSite(host, content);
}

bool IsPrintRequest(std::wstring_view message) {
    return message == L"requestPrint" || message.find(L"\"requestPrint\"") != std::wstring_view::npos;
}

HomeAction HomeMessageAction(std::wstring_view message) {
    if (IsPrintRequest(message)) return HomeAction::Print;
    if (message == L"btn_home") return HomeAction::GoHome;
    if (message == L"btn_back") return HomeAction::GoBack;
    if (message == L"btn_reload") return HomeAction::Reload;
    if (message == L"btn_fullscreen") return HomeAction::ToggleFullscreen;
    return HomeAction::None;
}

PlayerAction PlayerMessageAction(std::wstring_view message) {
    if (IsPrintRequest(message)) return PlayerAction::Print;
    if (message == L"toggleFullscreen" || message == L"\"toggleFullscreen\"") return PlayerAction::ToggleFullscreen;
    if (message == L"pageLoaded" || message == L"\"pageLoaded\"") return PlayerAction::ShowOnce;
    return PlayerAction::None;
}

}  // namespace pellaro
