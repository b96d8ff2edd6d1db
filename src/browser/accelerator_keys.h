#pragma once
// Which key chords are the browser's own (print, save, view source, developer
// tools, reload, find, zoom, history): where the engine cannot be told to
// ignore them, the host swallows them before the engine sees them.
namespace pellaro {

// A key as Windows names it (virtual-key code) and the modifiers held.
struct KeyChord {
    unsigned virtualKey = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;
};

enum class AcceleratorVerdict {
    PassOn,   // typing, editing and moving keys: the page gets them
    Swallow,  // a browser function: neither the engine nor the page sees it
    Print,    // Control+P: swallowed, and the program's own print flow starts
};

AcceleratorVerdict BrowserAcceleratorVerdict(const KeyChord& chord);

}  // namespace pellaro
