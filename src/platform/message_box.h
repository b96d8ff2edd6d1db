#pragma once
#include "app/message_box.h"

namespace pellaro {

// Shows the box and waits for the answer (MessageBoxW, or QMessageBox on Linux).
// Every box is top-most and takes the foreground; its caption and text are also
// written to the debug output so runs can be followed without a screen.
MessageAnswer ShowMessageBox(const MessageBoxSpec& spec);

}  // namespace pellaro
