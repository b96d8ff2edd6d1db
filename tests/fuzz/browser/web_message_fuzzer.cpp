// Words that pages post: any text maps to one action, and only the exact
// words (or a print request) map to a non-empty one.
#include <cstddef>
#include <cstdint>
#include <string>

#include "browser/message_bridge.h"
#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring message = pellaro::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    const bool print = pellaro::IsPrintRequest(message);
    const auto home = pellaro::HomeMessageAction(message);
    const auto player = pellaro::PlayerMessageAction(message);
    if (print != (home == pellaro::HomeAction::Print) || print != (player == pellaro::PlayerAction::Print))
        __builtin_trap();
    if (home == pellaro::HomeAction::GoHome && message != L"btn_home") __builtin_trap();
    if (player == pellaro::PlayerAction::ShowOnce && message != L"pageLoaded" && message != L"\"pageLoaded\"")
        __builtin_trap();
    return 0;
}
