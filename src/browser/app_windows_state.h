#pragma once
// Process-wide state shared by the window files of both editions.
#include <atomic>

#include "browser/app_windows.h"

namespace pellaro {

struct WindowsState {
    BrowserStarter homeStarter;
    PlayerBrowserStarter playerStarter;
    std::function<void()> destroyer;
    std::function<bool()> probe;
    WindowMessageHandler messageHandler;
    std::atomic<NativeWindow> currentTopLevel{nullptr};
};

WindowsState& WindowState();

}  // namespace pellaro
