#pragma once
// A message box described without the OS, so start-up decisions can be tested,
// and the call that shows one.
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
    bool rightAligned = false;  // MB_RIGHT
    bool rtlReading = false;    // MB_RTLREADING
    void* owner = nullptr;      // the owning window, when one is named
};

// Shows the box and waits for the answer (MessageBoxW, or QMessageBox on Linux).
// Every box is top-most and takes the foreground; its caption and text are also
// written to the debug output so runs can be followed without a screen.
MessageAnswer ShowMessageBox(const MessageBoxSpec& spec);

}  // namespace pellaro
