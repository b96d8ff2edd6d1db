#pragma once
// The fixed words that pages post to the program, turned into window actions.
#include <string_view>

namespace pellaro {

enum class HomeAction { None, Print, GoHome, GoBack, Reload, ToggleFullscreen };
enum class PlayerAction { None, Print, ToggleFullscreen, ShowOnce };

// "requestPrint" as a string, as a JSON string, or inside any JSON text.
bool IsPrintRequest(std::wstring_view message);

HomeAction HomeMessageAction(std::wstring_view message);
PlayerAction PlayerMessageAction(std::wstring_view message);

}  // namespace pellaro
