#include "browser/browser_windows.h"

#include <utility>

namespace pellaro {

WindowBrowserHooks WindowBrowsers::Hooks(std::function<void()> afterDestroy) {
    WindowBrowserHooks hooks;
    hooks.home = [this](NativeWindow window) { return StartHome(window); };
    hooks.player = [this](NativeWindow window, const ContentDescriptor& content) {
        return StartPlayer(window, content);
    };
    hooks.destroy = [this, afterDestroy = std::move(afterDestroy)] {
        DestroyAll();
        if (afterDestroy) afterDestroy();
    };
    hooks.exists = [this] { return AnyExists(); };
    hooks.messages = Messages();
    return hooks;
}

ProgramWindows::ProgramWindows(NativeInstance instance, BrowserWindowServices services,
                               std::function<void()> afterDestroy)
    : frames(instance), browsers(std::move(services)) {
    frames.Hooks() = browsers.Hooks(std::move(afterDestroy));
}

}  // namespace pellaro
