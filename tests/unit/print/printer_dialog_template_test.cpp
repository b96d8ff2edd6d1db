#include "print/printer_dialog_template.h"

#include <gtest/gtest.h>

#include <string>

#include "print/printer_dialog_style.h"

namespace pellaro::print {
namespace {

// Reads the template back the way the dialog manager does.
class TemplateReader {
public:
    explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint16_t Word() {
        EXPECT_LE(pos_ + 2, bytes_.size());
        if (pos_ + 2 > bytes_.size()) return 0;
        const auto v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t DWord() {
        const std::uint32_t low = Word();
        return low | (static_cast<std::uint32_t>(Word()) << 16);
    }
    std::wstring Text() {
        std::wstring text;
        for (std::uint16_t c = Word(); c != 0; c = Word()) text += static_cast<wchar_t>(c);
        return text;
    }
    void Align() { pos_ = (pos_ + 3) & ~std::size_t{3}; }
    std::size_t Position() const { return pos_; }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
};

struct ExpectedItem {
    int id;
    std::uint16_t classOrdinal;
    std::wstring text;
    dialog::DluRect rect;
    std::uint32_t style;
};

TEST(PrinterDialogTemplateTest, HeaderAndItemsReadBackExactly) {
    using namespace style;
    const auto bytes = BuildPrinterDialogTemplate();
    TemplateReader in(bytes);
    EXPECT_EQ(in.DWord(), kPopup | kCaption | kSysMenu | kDsCenter | kDsModalFrame | kDsSetFont);
    EXPECT_EQ(in.DWord(), 0u);
    const int count = in.Word();
    const int header[4] = {static_cast<std::int16_t>(in.Word()), static_cast<std::int16_t>(in.Word()),
                           static_cast<std::int16_t>(in.Word()), static_cast<std::int16_t>(in.Word())};
    EXPECT_EQ(header[0], 0);
    EXPECT_EQ(header[1], 0);
    EXPECT_EQ(header[2], 280);
    EXPECT_EQ(header[3], 210);
    EXPECT_EQ(in.Word(), 0);  // menu
    EXPECT_EQ(in.Word(), 0);  // class
    EXPECT_EQ(in.Text(), L"Select Printer");
    EXPECT_EQ(in.Word(), 10);
    EXPECT_EQ(in.Text(), L"Segoe UI");

    const ExpectedItem expected[] = {
        {1004, kStaticClass, L"Select a physical printer:", {12, 10, 256, 16}, kChild | kVisible},
        {1001,
         kListBoxClass,
         L"",
         {12, 30, 256, 135},
         kChild | kVisible | kVScroll | kTabStop | kLbsNotify | kLbsOwnerDrawFixed | kLbsHasStrings},
        {1005,
         kStaticClass,
         L"No physical printers found.\nPlease connect a printer.",
         {12, 60, 256, 40},
         kChild | kSsCenter},
        {1002, kButtonClass, L"Print", {124, 174, 70, 24}, kChild | kVisible | kTabStop | kBsOwnerDraw},
        {1003, kButtonClass, L"Cancel", {198, 174, 70, 24}, kChild | kVisible | kTabStop | kBsOwnerDraw},
    };
    ASSERT_EQ(count, static_cast<int>(std::size(expected)));
    for (const auto& item : expected) {
        const auto unaligned = in.Position();
        in.Align();
        EXPECT_LT(in.Position() - unaligned, 4u);
        for (std::size_t i = unaligned; i < in.Position(); ++i) EXPECT_EQ(bytes[i], 0) << "padding of " << item.id;
        EXPECT_EQ(in.Position() % 4, 0u);
        EXPECT_EQ(in.DWord(), item.style) << item.id;
        EXPECT_EQ(in.DWord(), 0u) << item.id;
        EXPECT_EQ(static_cast<std::int16_t>(in.Word()), item.rect.x) << item.id;
        EXPECT_EQ(static_cast<std::int16_t>(in.Word()), item.rect.y) << item.id;
        EXPECT_EQ(static_cast<std::int16_t>(in.Word()), item.rect.cx) << item.id;
        EXPECT_EQ(static_cast<std::int16_t>(in.Word()), item.rect.cy) << item.id;
        EXPECT_EQ(in.Word(), item.id);
        EXPECT_EQ(in.Word(), 0xFFFF) << item.id;
        EXPECT_EQ(in.Word(), item.classOrdinal) << item.id;
        EXPECT_EQ(in.Text(), item.text) << item.id;
        EXPECT_EQ(in.Word(), 0) << "creation data of " << item.id;
    }
    EXPECT_TRUE(in.AtEnd());
}

}  // namespace
}  // namespace pellaro::print
