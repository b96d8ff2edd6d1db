#pragma once
// The browser engine started ahead of the first window, so that its processes
// come up while the start-up's network steps run. The first host initialised
// on the same user-data folder takes the warmed engine over instead of
// starting one of its own. Linux: engine_warmup_qt.cpp; Windows:
// engine_warmup_win.cpp.
#include <string>

namespace WebView {

// Begins warming the engine for `userDataFolder` (what the host's Initialize
// gets) on this, the user-interface thread, once its event loop next runs.
// Nothing happens when a warm-up is already under way.
void StartEngineWarmUp(const std::wstring& userDataFolder);

// Disposes of a warmed engine no host took over, with its processes; nothing
// when there is none. Never shows a window.
void DisposeEngineWarmUp();

}  // namespace WebView
