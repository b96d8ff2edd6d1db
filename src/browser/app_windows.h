#pragma once
// The two top-level windows: the home window and the player frame. Both paint
// a loading text on black until the embedded browser covers them.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "links/content_descriptor.h"

namespace pellaro {

using NativeWindow = void*;    // HWND, or the AppWindow (a QWidget) on Linux
using NativeInstance = void*;  // HINSTANCE; unused on Linux

// The private message that asks a window to destroy its browser hosts (WM_APP + 0x65).
inline constexpr unsigned kDestroyHostsMessage = 0x8065;
inline constexpr int kHomeWidth = 1024, kHomeHeight = 768;
inline constexpr int kPlayerWidth = 1280, kPlayerHeight = 720;

// Display name, " V ", version text.
std::wstring WindowTitle();
// The text painted, centred, until the browser is visible.
const wchar_t* LoadingText();

// The embedded browser plugs in here. A starter returns false after telling
// the user. Without a starter a window keeps its loading text (an edition
// without a browser host); without a destroyer or a probe there are no hosts
// to close or find.
using BrowserStarter = std::function<bool(NativeWindow window)>;
using PlayerBrowserStarter = std::function<bool(NativeWindow window, const ContentDescriptor& content)>;
// Windows edition: messages the windows do not handle themselves (size, move,
// activation, power) go to this handler first; returning true gives `result`.
// Without one they get the default processing.
using WindowMessageHandler = std::function<bool(NativeWindow window, unsigned message, std::uintptr_t wParam,
                                                std::intptr_t lParam, std::intptr_t& result)>;

struct WindowBrowserHooks {
    BrowserStarter home;
    PlayerBrowserStarter player;
    std::function<void()> destroy;  // closes the player's and then the home window's hosts
    std::function<bool()> exists;   // whether a host exists
    WindowMessageHandler messages;
};

// The program's two windows. One object, made by the program's wiring, owns
// both frames, the current top-level window and the browser hooks; each frame
// finds it again through the window system (the Win32 window's user data, the
// Qt widget's owner). Frames still open when it goes are closed without the
// hooks, so nothing outlives it.
class AppWindows {
public:
    explicit AppWindows(NativeInstance instance = nullptr, WindowBrowserHooks hooks = {});
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    WindowBrowserHooks& Hooks() { return hooks_; }

    // Creates and shows the home window, makes it the current top-level window
    // and starts its browser through the home starter. False when the window or
    // the browser could not be created.
    bool CreateInitScreen();
    // Creates and shows the 1280 x 720 player frame and lets it paint; null on failure.
    NativeWindow CreatePlayerFrame();
    // Makes the frame the current top-level window and starts its browser,
    // showing the content, through the player starter. A null window fails silently.
    bool CreatePlayerWindow(NativeWindow window, const ContentDescriptor& content);
    // Closes the player's and then the home window's browser hosts (the destroyer).
    void DestroyBrowserHosts();
    // Whether a browser host exists (the start-up's "window or browser failed" choice).
    bool BrowserHostExists() const;
    // The window the pre-exit teardown talks to; null when none. Readable from any thread.
    NativeWindow CurrentTopLevelWindow() const { return current_.load(); }
    // The frames created so far; null before and once closed.
    NativeWindow HomeWindow() const;
    NativeWindow PlayerFrame() const;

    // A frame closes: its hosts go, and it stops being the current window.
    void FrameClosing(NativeWindow frame);

private:
    struct Frames;  // the edition's frames
    NativeInstance instance_;
    WindowBrowserHooks hooks_;
    std::atomic<NativeWindow> current_{nullptr};
    std::unique_ptr<Frames> frames_;
};

}  // namespace pellaro
