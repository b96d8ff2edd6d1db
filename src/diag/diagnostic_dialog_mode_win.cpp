// Windows shows the HTML dialog with the system's HTML application host; the
// player never runs in a dialog mode there.
#include "diag/diagnostic_dialog_mode.h"

namespace pellaro {

bool IsDiagnosticDialogMode(int, char**) { return false; }
int RunDiagnosticDialogMode(int, char**) { return 2; }

}  // namespace pellaro
