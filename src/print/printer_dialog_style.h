#pragma once
// Texts, layout and colours of the printer picker, shared by both editions.
#include <cstdint>

namespace pellaro::print::dialog {

inline constexpr const wchar_t* kTitle = L"Select Printer";
inline constexpr const wchar_t* kHeading = L"Select a physical printer:";
inline constexpr const wchar_t* kEmptyMessage = L"No physical printers found.\nPlease connect a printer.";
inline constexpr const wchar_t* kPrintText = L"Print";
inline constexpr const wchar_t* kCancelText = L"Cancel";
inline constexpr const wchar_t* kDefaultBadge = L"DEFAULT";
inline constexpr const wchar_t* kFontFace = L"Segoe UI";
inline constexpr int kFontPoints = 10;

// Control ids.
inline constexpr int kListId = 1001;
inline constexpr int kPrintId = 1002;
inline constexpr int kCancelId = 1003;
inline constexpr int kHeadingId = 1004;
inline constexpr int kEmptyMessageId = 1005;

// Rectangles in dialog units.
struct DluRect {
    int x, y, cx, cy;
};
inline constexpr DluRect kDialogRect{0, 0, 280, 210};
inline constexpr DluRect kHeadingRect{12, 10, 256, 16};
inline constexpr DluRect kListRect{12, 30, 256, 135};
inline constexpr DluRect kEmptyMessageRect{12, 60, 256, 40};
inline constexpr DluRect kPrintRect{124, 174, 70, 24};
inline constexpr DluRect kCancelRect{198, 174, 70, 24};

// Where the system's dialog-unit conversion is not available (the Qt edition):
// "Segoe UI" 10 pt at 96 dpi averages 7 px wide and 16 px high per character,
// so one horizontal unit is 7/4 px and one vertical unit 16/8 px.
inline constexpr double kPixelsPerHorizontalUnit = 1.75;
inline constexpr double kPixelsPerVerticalUnit = 2.0;

// Owner-drawn list metrics, in pixels at 96 DPI (the Windows dialog scales
// them to its DPI; Qt scales its device-independent pixels itself).
inline constexpr int kItemHeight = 44;
inline constexpr int kCardInsetX = 4;
inline constexpr int kCardInsetY = 3;
inline constexpr int kCardCorner = 8;
inline constexpr int kNameLeft = 12;
inline constexpr int kNameRightWithBadge = 75;
inline constexpr int kNameRight = 10;
inline constexpr int kBadgeWidth = 60;
inline constexpr int kBadgeHeight = 20;
inline constexpr int kBadgeCorner = 10;
inline constexpr int kBadgeRight = 10;
inline constexpr int kButtonCorner = 8;
// The keyboard focus: a ring inside the focused button or card.
inline constexpr int kFocusRingInset = 3;
inline constexpr int kFocusRingCorner = 6;

// Font heights in pixels at 96 DPI (negative: character height) and weights.
struct FontSpec {
    int height, weight;
};
inline constexpr FontSpec kTitleFont{-15, 700};
inline constexpr FontSpec kNormalFont{-13, 400};
inline constexpr FontSpec kSemiboldFont{-13, 600};
inline constexpr FontSpec kBadgeFont{-10, 700};

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kDialogBackground = 0x141519;
inline constexpr std::uint32_t kListBackground = 0x1C1E24;
inline constexpr std::uint32_t kCardFill = 0x22252D;
inline constexpr std::uint32_t kCardBorder = 0x2E323E;
inline constexpr std::uint32_t kCardText = 0xE1E6F0;
inline constexpr std::uint32_t kSelectedCardFill = 0x2563EB;
inline constexpr std::uint32_t kSelectedCardBorder = 0x3B82F6;
inline constexpr std::uint32_t kSelectedCardText = 0xFFFFFF;
inline constexpr std::uint32_t kBadgeFill = 0x3B82F6;
inline constexpr std::uint32_t kBadgeText = 0xFFFFFF;
inline constexpr std::uint32_t kSelectedBadgeFill = 0xFFFFFF;
inline constexpr std::uint32_t kSelectedBadgeText = 0x2563EB;
inline constexpr std::uint32_t kPrintFill = 0x2563EB;
inline constexpr std::uint32_t kPrintBorder = 0x3B82F6;
inline constexpr std::uint32_t kPrintPressedFill = 0x1D4ED8;
inline constexpr std::uint32_t kPrintPressedBorder = 0x1D4ED8;
inline constexpr std::uint32_t kPrintTextColour = 0xFFFFFF;
inline constexpr std::uint32_t kCancelFill = 0x2D303A;
inline constexpr std::uint32_t kCancelBorder = 0x3C404C;
inline constexpr std::uint32_t kCancelPressedFill = 0x23252D;
inline constexpr std::uint32_t kCancelPressedBorder = 0x2D303A;
inline constexpr std::uint32_t kCancelTextColour = 0xD2D7E1;
inline constexpr std::uint32_t kListTextColour = 0xE6EBF0;
inline constexpr std::uint32_t kStaticTextColour = 0xF0F2F5;
inline constexpr std::uint32_t kFocusRingColour = 0xFFFFFF;

}  // namespace pellaro::print::dialog
