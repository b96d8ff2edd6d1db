#include "platform/message_box.h"

#include <windows.h>

#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {

MessageAnswer ShowMessageBox(const MessageBoxSpec& spec) {
    DebugLine("MessageBox: " + ToUtf8(spec.caption) + " | " + ToUtf8(spec.text));
    UINT flags = MB_TOPMOST | MB_SETFOREGROUND;
    switch (spec.buttons) {
        case MessageButtons::Ok: flags |= MB_OK; break;
        case MessageButtons::OkCancel: flags |= MB_OKCANCEL; break;
        case MessageButtons::YesNo: flags |= MB_YESNO; break;
    }
    switch (spec.icon) {
        case MessageIcon::None: break;
        case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
        case MessageIcon::Warning: flags |= MB_ICONWARNING; break;
        case MessageIcon::Error: flags |= MB_ICONERROR; break;
        case MessageIcon::Question: flags |= MB_ICONQUESTION; break;
    }
    if (spec.rightAligned) flags |= MB_RIGHT;
    if (spec.rtlReading) flags |= MB_RTLREADING;
    const int answer = MessageBoxW(static_cast<HWND>(spec.owner), spec.text.c_str(), spec.caption.c_str(), flags);
    switch (answer) {
        case IDCANCEL: return MessageAnswer::Cancel;
        case IDYES: return MessageAnswer::Yes;
        case IDNO: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

}  // namespace pellaro
