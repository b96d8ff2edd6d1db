#pragma once
// The notice for an intercepted connection: a security program re-signs the
// traffic, so the pins fail. Ends the process through the diagnostic dialog.
#include <functional>
#include <string>

namespace pellaro {

// A backend-domain host failed its pins: the notice with code "SSL_" + host,
// on the calling thread.
void ReportPinFailure(const std::wstring& host);

// The browser's resource filter blocked a host: after 500 ms, on a detached
// thread of its own, the notice with code "MITM_PIN_" + host cut to 100 bytes.
// Returns at once.
void ReportBlockedHost(const std::wstring& host);

// The texts and codes, for tests and for the Windows and Linux callers alike.
inline constexpr std::size_t kBlockedHostCodeLimit = 100;
std::string PinFailureCode(const std::wstring& host);
std::string BlockedHostCode(const std::wstring& host);
const std::wstring& InterceptedTitle();
const std::wstring& InterceptedMessage();
const std::wstring& InterceptedArabicMessage();

// The dialog call; tests replace it so the process survives. An empty function
// restores ShowDiagnosticDialogAndExit.
using DiagnosticNotice = std::function<void(const std::wstring& title, const std::wstring& message,
                                            const std::wstring& arabicMessage, const std::string& code)>;
void SetConnectionFailureNotice(DiagnosticNotice notice);

}  // namespace pellaro
