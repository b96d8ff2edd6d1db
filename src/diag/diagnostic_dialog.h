#pragma once
// The notice that ends a run that cannot go on: the code goes to the clipboard,
// a 10-second countdown notice shows, then a separate HTML dialog window that
// outlives the process, and the process ends with exit code 1.
#include <string>

namespace pellaro {

// Callable from any thread; never returns. Runs the pre-exit cleanup hook once
// per process first.
[[noreturn]] void ShowDiagnosticDialogAndExit(const std::wstring& title, const std::wstring& message,
                                              const std::wstring& arabicMessage, const std::string& code);

inline constexpr int kDiagnosticExitCode = 1;

}  // namespace pellaro
