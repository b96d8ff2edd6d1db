#pragma once
// A message box described without the OS, so start-up decisions can be tested.
#include <string>

namespace pellaro {

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageBoxSpec {
    std::wstring text;
    std::wstring caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool rightAligned = false;   // MB_RIGHT
    bool rtlReading = false;     // MB_RTLREADING
    void* owner = nullptr;       // the owning window, when one is named
};

}  // namespace pellaro
