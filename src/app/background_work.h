#pragma once
// Network steps leave the user-interface thread so that it keeps handling its
// events (the browser engine starts on it meanwhile). Each edition defines
// these (background_work_qt.cpp, background_work_win.cpp).
#include <functional>

namespace pellaro {

// Runs `work` on a worker thread while this thread keeps handling its events;
// returns when the work is done and rethrows what it threw.
void RunWhilePumping(const std::function<void()>& work);

// Runs `call` on the user-interface thread and waits for it: at once when
// already there, else by the pump of a running RunWhilePumping (or the Qt
// event loop). For hooks that show windows but fire from the worker.
void RunOnUserInterfaceThread(const std::function<void()>& call);

}  // namespace pellaro
