#include "print/printer_dialog_template.h"

#include <string_view>

#include "print/printer_dialog_style.h"

namespace pellaro::print {
namespace {

class TemplateWriter {
public:
    void Word(std::uint16_t value) {
        bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    void DWord(std::uint32_t value) {
        Word(static_cast<std::uint16_t>(value & 0xFFFF));
        Word(static_cast<std::uint16_t>(value >> 16));
    }
    void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    // Null-terminated UTF-16 text (the template's texts are all in the BMP).
    void Text(std::wstring_view text) {
        for (wchar_t c : text) Word(static_cast<std::uint16_t>(c));
        Word(0);
    }
    void AlignToDWord() {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
    }
    void Rect(const dialog::DluRect& r) {
        Short(r.x);
        Short(r.y);
        Short(r.cx);
        Short(r.cy);
    }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

struct Item {
    std::uint16_t classOrdinal;
    int id;
    std::wstring_view text;
    dialog::DluRect rect;
    std::uint32_t style;
};

}  // namespace

std::vector<std::uint8_t> BuildPrinterDialogTemplate() {
    using namespace style;
    const Item items[] = {
        {kStaticClass, dialog::kHeadingId, dialog::kHeading, dialog::kHeadingRect, kChild | kVisible},
        {kListBoxClass, dialog::kListId, L"", dialog::kListRect,
         kChild | kVisible | kVScroll | kTabStop | kLbsNotify | kLbsOwnerDrawFixed | kLbsHasStrings},
        {kStaticClass, dialog::kEmptyMessageId, dialog::kEmptyMessage, dialog::kEmptyMessageRect, kChild | kSsCenter},
        {kButtonClass, dialog::kPrintId, dialog::kPrintText, dialog::kPrintRect,
         kChild | kVisible | kTabStop | kBsOwnerDraw},
        {kButtonClass, dialog::kCancelId, dialog::kCancelText, dialog::kCancelRect,
         kChild | kVisible | kTabStop | kBsOwnerDraw},
    };

    TemplateWriter out;
    out.DWord(kPopup | kCaption | kSysMenu | kDsCenter | kDsModalFrame | kDsSetFont);
    out.DWord(0);  // extended style
    out.Word(static_cast<std::uint16_t>(std::size(items)));
    out.Rect(dialog::kDialogRect);
    out.Word(0);  // no menu
    out.Word(0);  // default dialog class
    out.Text(dialog::kTitle);
    out.Word(static_cast<std::uint16_t>(dialog::kFontPoints));
    out.Text(dialog::kFontFace);
    for (const auto& item : items) {
        out.AlignToDWord();
        out.DWord(item.style);
        out.DWord(0);  // extended style
        out.Rect(item.rect);
        out.Word(static_cast<std::uint16_t>(item.id));
        out.Word(0xFFFF);
        out.Word(item.classOrdinal);
        out.Text(item.text);
        out.Word(0);  // no creation data
    }
    return out.Take();
}

}  // namespace pellaro::print
