#pragma once
// The Linux edition's runtime gate with its real effects; tests replace single members.
#include "shell/runtime_gate.h"

namespace pellaro {

// The helper from QTWEBENGINEPROCESS_PATH or Qt's libexec folder, checked as an
// executable file; the message through the program's message box.
WebEngineGateSeam SystemWebEngineGateSeam();

}  // namespace pellaro
