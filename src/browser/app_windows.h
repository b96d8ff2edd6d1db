#pragma once
// The two top-level windows: the home window and the player frame. Both paint
// a loading text on black until the embedded browser covers them.
#include <cstdint>
#include <functional>
#include <string>

#include "links/content_descriptor.h"

namespace pellaro {

using NativeWindow = void*;     // HWND, or the AppWindow (a QWidget) on Linux
using NativeInstance = void*;   // HINSTANCE; unused on Linux

// The private message that asks a window to destroy its browser hosts (WM_APP + 0x65).
inline constexpr unsigned kDestroyHostsMessage = 0x8065;
inline constexpr int kHomeWidth = 1024, kHomeHeight = 768;
inline constexpr int kPlayerWidth = 1280, kPlayerHeight = 720;

// Display name, " V ", version text.
std::wstring WindowTitle();
// The text painted, centred, until the browser is visible.
const wchar_t* LoadingText();

// Creates and shows the home window, makes it the current top-level window and
// starts its browser through the home starter (none yet: the window keeps its
// loading text). False when the window or the browser could not be created.
bool CreateInitScreen(NativeInstance instance);
// Creates and shows the 1280 x 720 player frame and lets it paint; null on failure.
NativeWindow CreatePlayerFrame(NativeInstance instance);
// Makes the frame the current top-level window and starts its browser, showing
// the content, through the player starter. A null window fails silently.
bool CreatePlayerWindow(NativeInstance instance, NativeWindow window, const ContentDescriptor& content);
// Closes the player's and then the home window's browser hosts (the destroyer).
void DestroyBrowserHosts();
// The window the pre-exit teardown talks to; null when none. Readable from any thread.
NativeWindow CurrentTopLevelWindow();

// The embedded browser plugs in here; the program's wiring sets each once. A
// starter returns false after telling the user. Without a starter a window
// keeps its loading text (an edition without a browser host); without a
// destroyer or a probe there are no hosts to close or find.
using BrowserStarter = std::function<bool(NativeWindow window)>;
using PlayerBrowserStarter = std::function<bool(NativeWindow window, const ContentDescriptor& content)>;
void SetHomeBrowserStarter(BrowserStarter starter);
void SetPlayerBrowserStarter(PlayerBrowserStarter starter);
void SetBrowserHostsDestroyer(std::function<void()> destroyer);
// Whether a browser host exists (the start-up's "window or browser failed" choice).
void SetBrowserHostProbe(std::function<bool()> probe);
bool BrowserHostExists();

// Windows edition: messages the windows do not handle themselves (size, move,
// activation, power) go to this handler first; returning true gives `result`.
// Without one they get the default processing.
using WindowMessageHandler =
    std::function<bool(NativeWindow window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& result)>;
void SetWindowMessageHandler(WindowMessageHandler handler);

}  // namespace pellaro
