#pragma once
// Fonts, colours, pens and drawing order of the countdown notice, shared by
// both editions: each painter only translates these steps to its toolkit.
#include <cstdint>
#include <string>
#include <vector>

#include "diag/diagnostic_dialog_content.h"

namespace pellaro::countdown_style {

// Heights are character heights in pixels; weights 400 normal, 700 bold.
struct Font {
    const wchar_t* face;
    int height;
    int weight;
    bool fixedPitch;  // else a variable-pitch sans-serif
};
inline constexpr Font kTitleFont{L"Segoe UI", 24, 700, false};
inline constexpr Font kMessageFont{L"Segoe UI", 16, 400, false};
inline constexpr Font kSecondsFont{L"Segoe UI", 60, 700, false};
inline constexpr Font kLineFont{L"Segoe UI", 13, 400, false};
inline constexpr Font kCodeFont{L"Consolas", 12, 400, true};

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kBackground = 0x1A1A2E;
inline constexpr std::uint32_t kAccent = 0xE94560;
inline constexpr std::uint32_t kCodeFill = 0x0F3460;
inline constexpr std::uint32_t kMessageColour = 0xCCCCCC;
inline constexpr std::uint32_t kArabicColour = 0xB4B4B4;
inline constexpr std::uint32_t kLineColour = 0x888888;
inline constexpr std::uint32_t kNoteColour = 0x646464;
// The thin frame, where the window system draws none around a frameless window.
inline constexpr std::uint32_t kFrameColour = 0x646464;

inline constexpr int kRulePen = 1;
inline constexpr int kDiscPen = 3;
inline constexpr int kCodeBoxPen = 1;
inline constexpr int kIconSize = 64;
inline constexpr int kTickMilliseconds = 1000;

// Every text is centred horizontally and drawn on a transparent background.
struct TextFormat {
    bool wrap = false;              // word-wrapped, from the top; else one line
    bool centreVertically = false;  // one line, centred in its box
    bool rightToLeft = false;
    bool ellipsis = false;  // cut with "..." at the end when too long
};
inline constexpr TextFormat kWrapped{true, false, false, false};
inline constexpr TextFormat kWrappedRightToLeft{true, false, true, false};

struct Step {
    enum class Kind { fill, icon, line, ellipse, rectangle, text };
    Kind kind = Kind::fill;
    Box box;                   // a line runs from (left, top) to (right, top)
    std::uint32_t colour = 0;  // the fill, the pen or the text colour
    std::uint32_t fill = 0;    // inside an ellipse or rectangle
    int pen = 0;               // pen width of a line, ellipse or rectangle
    Font font = kLineFont;
    TextFormat format{};
    std::wstring text{};
};

struct Texts {
    std::wstring title, message, arabicMessage, code;
};

// A font, its height scaled from 96 DPI to `dpi`.
Font AtDpi(Font font, int dpi);

// What to draw, in order, for a client area `width` x `height` at `dpi` once
// both message heights are measured (with AtDpi(kMessageFont, dpi) and
// kWrapped / kWrappedRightToLeft, in LayoutCountdown's message box). Boxes,
// pens and fonts are scaled to `dpi`.
std::vector<Step> PaintSteps(int width, int height, int messageHeight, int arabicHeight, const Texts& texts,
                             int seconds, int dpi = 96);

}  // namespace pellaro::countdown_style
