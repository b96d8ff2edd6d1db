#pragma once
// What a window does when the engine process behind its page fails: show the
// page again, start the host again, or, for a page that keeps dying, stop and
// say so once. Time is passed in so the rule can be driven without a clock.
#include <chrono>
#include <deque>
#include <string>

namespace pellaro {

enum class PageFailure {
    RendererExited,        // the page's renderer ended: crashed, killed, out of memory
    RendererUnresponsive,  // the engine gave up waiting for the page's renderer
    BrowserProcessExited,  // the engine's browser process ended: the host is gone
    RecoveredByRuntime,    // a frame's renderer, the GPU or a utility process: the engine copes
};

enum class RecoveryAction { Nothing, ReloadPage, RestartHost, ShowGaveUpMessage };

// One per window.
class PageRecovery {
public:
    using Clock = std::chrono::steady_clock;
    // Failures within this long of each other count towards giving up.
    static constexpr std::chrono::seconds kWindow{60};
    // The failure, counted within kWindow, at which the window gives up.
    static constexpr std::size_t kGiveUpAt = 3;

    RecoveryAction OnFailure(PageFailure failure, Clock::time_point now);
    bool GaveUp() const { return gaveUp_; }

private:
    std::deque<Clock::time_point> recent_;
    bool gaveUp_ = false;
};

// The text a window shows in place of a page that kept failing, English then
// Arabic.
std::wstring PageGaveUpMessage();

// A short name of the failure for debug lines ("renderer exited").
const wchar_t* PageFailureName(PageFailure failure);

}  // namespace pellaro
