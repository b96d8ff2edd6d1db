#pragma once
// The printer picker as a classic in-memory dialog template (DLGTEMPLATE with
// DLGITEMTEMPLATEs), built as bytes so its layout can be checked anywhere.
#include <cstdint>
#include <vector>

namespace pellaro::print {

// Little-endian template bytes; the vector's storage is suitably aligned for
// DialogBoxIndirectParamW.
std::vector<std::uint8_t> BuildPrinterDialogTemplate();

// Window styles used by the template (values of the Windows headers).
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000, kCaption = 0x00C00000, kSysMenu = 0x00080000;
inline constexpr std::uint32_t kChild = 0x40000000, kVisible = 0x10000000, kVScroll = 0x00200000, kTabStop = 0x00010000;
inline constexpr std::uint32_t kDsCenter = 0x0800, kDsModalFrame = 0x80, kDsSetFont = 0x40;
inline constexpr std::uint32_t kLbsNotify = 0x1, kLbsOwnerDrawFixed = 0x10, kLbsHasStrings = 0x40;
inline constexpr std::uint32_t kSsCenter = 0x1, kBsOwnerDraw = 0xB;
}  // namespace style

// Predefined control classes by ordinal.
inline constexpr std::uint16_t kButtonClass = 0x0080;
inline constexpr std::uint16_t kStaticClass = 0x0082;
inline constexpr std::uint16_t kListBoxClass = 0x0083;

}  // namespace pellaro::print
