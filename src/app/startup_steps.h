#pragma once
// The start-up steps this edition provides; the other subsystems' steps are
// added by the program's entry.
#include "app/startup.h"

namespace pellaro {

// Fills the OS effects (COM and GDI+ or Qt, lock, gates, windows, message box,
// message loop, shutdown). Steps of other subsystems stay empty.
StartupSteps MakeStartupSteps(void* instance);

}  // namespace pellaro
