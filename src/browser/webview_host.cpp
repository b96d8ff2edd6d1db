// The host's start, the same in both editions: the sequence over the
// edition's engine, its outcome kept, logged and reported.
#include "browser/webview_host.h"

#include "browser/host_start.h"
#include "core/text.h"
#include "platform/debug_log.h"

namespace WebView {

bool WebViewHost::Initialize(NativeWindow parent, const std::wstring& userDataFolder, int maxAttempts) {
    lastResult_ = 0;
    statusText_.clear();
    const StartOutcome outcome = StartHost(Engine(), EditionWording(), parent, userDataFolder, maxAttempts);
    lastResult_ = outcome.result;
    statusText_ = outcome.statusText;
    if (outcome.logged) pellaro::DebugLine(pellaro::ToUtf8(statusText_));
    if (onInitialized) onInitialized(outcome.ok, lastResult_);
    return outcome.ok;
}

std::int32_t WebViewHost::LastResult() const { return lastResult_; }
const std::wstring& WebViewHost::StatusText() const { return statusText_; }

}  // namespace WebView
