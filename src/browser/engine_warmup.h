#pragma once
// The browser engine started ahead of the first window, so that its processes
// come up while the start-up's network steps run. The first host initialised
// on the same user-data folder takes the warmed engine over instead of
// starting one of its own. Linux: engine_warmup_qt.cpp; Windows:
// engine_warmup_win.cpp.
#include <memory>
#include <string>

namespace WebView {

// One per program, owned by the program's wiring and lent to the hosts; used
// on the user-interface thread only.
class EngineWarmUp {
public:
    EngineWarmUp();
    // Releases nothing of the engine: Dispose is the owner's, while the
    // engine's platform (COM, the application object) is still up.
    ~EngineWarmUp();
    EngineWarmUp(const EngineWarmUp&) = delete;
    EngineWarmUp& operator=(const EngineWarmUp&) = delete;

    // Begins warming the engine for `userDataFolder` (what the host's
    // Initialize gets) once the event loop next runs. Nothing happens when a
    // warm-up is already under way.
    void Start(const std::wstring& userDataFolder);
    // Disposes of a warmed engine no host took over, with its processes;
    // nothing when there is none. Never shows a window.
    void Dispose();

    struct State;  // per edition; shared with the engine's callbacks
    State& state() const { return *state_; }
    const std::shared_ptr<State>& shared() const { return state_; }

private:
    std::shared_ptr<State> state_;
};

}  // namespace WebView
