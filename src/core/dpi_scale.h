#pragma once
// Sizes the program states in pixels (1280 x 720, the splash's 300 x 90, font
// heights, margins) are meant at 96 DPI, "100 %"; a window on a denser screen
// scales them by its DPI.
namespace pellaro {

inline constexpr int kBaseDpi = 96;

// value x dpi / 96, rounded half away from zero (as MulDiv rounds); a DPI
// that is not positive counts as 96.
int ScaleToDpi(int value, int dpi);

// The DPI at which a window of width x height (at 96 DPI) fits an area of
// areaWidth x areaHeight pixels: `dpi` when it fits, else the largest smaller
// DPI that does, but never below 96 (a screen too small even for that keeps
// the 96-DPI size). An unknown area (not positive) leaves `dpi` as it is.
int DpiThatFits(int dpi, int width, int height, int areaWidth, int areaHeight);

}  // namespace pellaro
