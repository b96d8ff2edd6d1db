#pragma once
// Linux edition only: the HTML dialog runs in a detached copy of the player
// started in this mode; main() checks for it before anything else. The Windows
// edition starts the system's HTML application host instead.

namespace pellaro {

inline constexpr char kDiagnosticDialogSwitch[] = "--diagnostic-dialog";

// argv[1] is the switch and argv[2] the dialog file.
bool IsDiagnosticDialogMode(int argc, char** argv);
// Shows the dialog described by argv[2] (and deletes that file); returns the exit code.
int RunDiagnosticDialogMode(int argc, char** argv);

}  // namespace pellaro
