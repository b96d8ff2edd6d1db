#include "browser/accelerator_keys.h"

#include <string_view>

namespace pellaro {
namespace {

// Windows virtual-key codes, as the engine reports them.
constexpr unsigned kHome = 0x24, kLeft = 0x25, kRight = 0x27, kDelete = 0x2E, kZero = 0x30, kNumpadZero = 0x60,
                   kNumpadAdd = 0x6B, kNumpadSubtract = 0x6D, kF1 = 0x70, kBrowserBack = 0xA6, kBrowserHome = 0xAC,
                   kPlus = 0xBB, kMinus = 0xBD;

bool IsOneOf(unsigned key, std::string_view letters) {
    for (const char letter : letters)
        if (key == static_cast<unsigned>(letter)) return true;
    return false;
}

// Control + a key the browser acts on: bookmark, search, find, history,
// downloads, address, new window, open, reload, save, tab, view source,
// close; zoom in, out and back.
bool IsBrowserControlKey(unsigned key) {
    return IsOneOf(key, "DEFGHJKLNORSTUW") || key == kZero || key == kNumpadZero || key == kPlus || key == kMinus ||
           key == kNumpadAdd || key == kNumpadSubtract;
}

// Control + Shift + a key the browser acts on: developer tools and inspector,
// bookmarks, profiles, clearing browsing data.
bool IsBrowserControlShiftKey(unsigned key) { return IsOneOf(key, "BCIJMO") || key == kDelete; }

// Function keys a browser gives a meaning: help, find again, address bar,
// reload, caret browsing, menu, full screen, developer tools.
bool IsBrowserFunctionKey(unsigned key) {
    for (const unsigned f : {1u, 3u, 5u, 6u, 7u, 10u, 11u, 12u})
        if (key == kF1 + f - 1) return true;
    return false;
}

}  // namespace

AcceleratorVerdict BrowserAcceleratorVerdict(const KeyChord& chord) {
    const unsigned key = chord.virtualKey;
    if (key >= kBrowserBack && key <= kBrowserHome) return AcceleratorVerdict::Swallow;  // back, forward, refresh, ...
    // Control with Alt is AltGr on many keyboards: typing, not a shortcut.
    if (chord.control && !chord.alt) {
        if (!chord.shift && IsOneOf(key, "P")) return AcceleratorVerdict::Print;
        const bool browser = IsBrowserControlKey(key) || IsBrowserFunctionKey(key) ||
                             (chord.shift && IsBrowserControlShiftKey(key));
        return browser ? AcceleratorVerdict::Swallow : AcceleratorVerdict::PassOn;
    }
    if (chord.alt && !chord.control) {
        const bool navigation = key == kLeft || key == kRight || key == kHome;  // back, forward, home page
        return navigation ? AcceleratorVerdict::Swallow : AcceleratorVerdict::PassOn;
    }
    return IsBrowserFunctionKey(key) ? AcceleratorVerdict::Swallow : AcceleratorVerdict::PassOn;
}

}  // namespace pellaro
