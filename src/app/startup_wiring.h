#pragma once
// Connects the start-up steps that belong to the other subsystems (pins,
// version check, link resolution, ...) to the same calls in both editions.
#include "app/startup.h"

namespace pellaro {

void AddSubsystemSteps(StartupSteps& steps);

}  // namespace pellaro
