#pragma once
// What the diagnostic dialog shows, built without the OS so both editions show
// the same texts, document and layout.
#include <string>

namespace pellaro {

inline constexpr int kExitCountdownSeconds = 10;
inline constexpr int kCountdownWidth = 700;
inline constexpr int kCountdownHeightWithCode = 600;
inline constexpr int kCountdownHeightWithoutCode = 500;
inline constexpr int kDialogWidth = 700;
inline constexpr int kDialogHeight = 580;

// How the window system and tests tell the notice's window apart.
inline constexpr wchar_t kCountdownWindowId[] = L"PellaroSecureExitCountdown";
inline constexpr wchar_t kCountdownWindowTitle[] = L"Security Alert";

// The HTML dialog: "<html>…</html>", title, messages and code inserted as they are.
std::wstring BuildDiagnosticDialogDocument(const std::wstring& title, const std::wstring& message,
                                           const std::wstring& arabicMessage, const std::wstring& code);
// What screen readers call the dialog's code box: the document gives it no
// label, so the Linux dialog names it once the page is loaded.
const std::wstring& DiagnosticCodeFieldName();
// mshta "about:<document>"
std::wstring BuildDiagnosticDialogCommandLine(const std::wstring& title, const std::wstring& message,
                                              const std::wstring& arabicMessage, const std::wstring& code);

// Message box texts when the countdown window or the dialog cannot be shown.
std::wstring CountdownFallbackText(const std::wstring& message, const std::wstring& arabicMessage, int seconds);
std::wstring DialogFallbackText(const std::wstring& message, const std::wstring& arabicMessage,
                                const std::wstring& code);

// The countdown notice's lines for N seconds left.
std::wstring CountdownEnglishLine(int seconds);
std::wstring CountdownArabicLine(int seconds);
const std::wstring& CountdownCodeHeader();
const std::wstring& CountdownCodeNote();

inline int CountdownHeight(bool hasCode) { return hasCode ? kCountdownHeightWithCode : kCountdownHeightWithoutCode; }
// The DPI the notice is drawn at on a screen of `dpi` whose work area is
// areaWidth x areaHeight pixels: lower when the scaled notice would not fit,
// so its last line (the code) stays on screen.
int CountdownDpi(int dpi, bool hasCode, int areaWidth, int areaHeight);

// Centres a window on a screen with integer division.
struct WindowOrigin {
    int x = 0;
    int y = 0;
};
inline WindowOrigin CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

// Placements of the countdown notice, in client pixels; every offset is stated
// at 96 DPI and scaled to the window's DPI.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct CountdownLayout {
    Box icon;  // 64 x 64
    Box title;
    int ruleY = 0, ruleLeft = 0, ruleRight = 0;
    Box message;  // top and sides; the height is measured
    Box arabicMessage;
    Box disc;
    Box seconds;
    Box englishLine;
    Box arabicLine;
    Box codeHeader;
    Box codeBox;
    Box code;
    Box codeNote;
};

// Wrapped-text extents: the text's top-left and sides are fixed, its height is
// measured by the painter (at least 20 each, at 96 DPI).
inline constexpr int kMessageTop = 152;
inline constexpr int kMessageSide = 30;
inline constexpr int kMinMessageHeight = 20;

// The whole layout once both message heights are known (in pixels, measured
// at `dpi` between message.left and message.right from message.top).
CountdownLayout LayoutCountdown(int clientWidth, int messageHeight, int arabicHeight, int dpi = 96);

}  // namespace pellaro
