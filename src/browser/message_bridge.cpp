#include "browser/message_bridge.h"

namespace pellaro {

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
