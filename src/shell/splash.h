#pragma once
// The borderless, per-pixel transparent start-up image, centred on the primary
// screen above all windows; it closes itself after 15 seconds.
namespace pellaro {

struct SplashGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The image size on screen: limited to maxWidth x maxHeight (a zero limit means
// 700 or 450) and to 70 % of a known screen size, scaled to fit keeping its
// proportions; an image already within the limits keeps its size. The image
// and the limits are sizes at 96 DPI, scaled to `dpi` first; the screen and
// the result are in pixels.
SplashGeometry SplashSize(int imageWidth, int imageHeight, int maxWidth, int maxHeight, int screenWidth,
                          int screenHeight, int dpi = 96);
// The same size, centred on the screen (integer division).
SplashGeometry SplashPlacement(int imageWidth, int imageHeight, int maxWidth, int maxHeight, int screenWidth,
                               int screenHeight, int dpi = 96);

inline constexpr int kSplashTimerId = 9999;
inline constexpr int kSplashLifetimeMs = 15000;

// The splash window (HWND on Windows, QWidget* on Linux); null when there is none.
using SplashWindow = void*;

// Shows the splash from the program's image (module: the Windows module holding
// resource 102, and 103 for the same image at twice the size, drawn on dense
// screens; null for the program; unused on Linux). Returns the existing
// splash when one is shown, and null after any failure, without a message.
// Windows: GDI+ must be started.
SplashWindow ShowSplash(void* module, int maxWidth, int maxHeight);
// Closes the splash when there is one; safe at any time.
void CloseSplash();
// The splash shown now, or null.
SplashWindow CurrentSplash();
// Handles the window messages already queued, so the splash paints before slow steps.
void DrainPendingMessages();

}  // namespace pellaro
